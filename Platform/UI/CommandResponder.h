#pragma once

#include <optional>
#include <string_view>

namespace platform {

// How a command stands where it is answered: whether it can run now and, for
// a command with a check mark, whether the mark shows.
struct CommandState {
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
    bool operator==(const CommandState&) const = default;
};

// One link of the chain a named command travels: the page on top, its
// navigation stack, the application's own commands, the application's
// delegate (Application::sendCommand). The first link that answers a name
// decides that command: its state is the command's state and only it performs
// it, so a page can hold a command back (disabled) that a link further on
// would run. A link that does not know the name passes it on.
class CommandResponder {
  public:
    virtual ~CommandResponder() = default;

    // The state of `name` here; none when this link does not answer it.
    virtual std::optional<CommandState> commandState(std::string_view /*name*/) const {
        return std::nullopt;
    }
    // Performs `name` with `argument` and tells whether it ran. Asked only of
    // the link whose commandState answered, and only while that is enabled.
    virtual bool performCommand(std::string_view /*name*/, std::string_view /*argument*/) {
        return false;
    }
    // Told to the page on top after any link performed `name`: a command from
    // elsewhere (a hotkey, another program) may change what the page shows.
    virtual void commandPerformed(std::string_view /*name*/, std::string_view /*argument*/) {}
};

// The names the platform's own links answer.
namespace commands {
// The page's default action, as its layout marks it (the keyboard's Space).
inline constexpr std::string_view kDefaultAction = "defaultAction";
// One page back on the navigation stack.
inline constexpr std::string_view kBack = "back";
}  // namespace commands

}  // namespace platform
