#pragma once

#include "CommandResponder.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace platform {

// Commands that belong to no page (volume, zoom, Stop All), each under its
// name: what it does and how it stands now. The application keeps one as a
// link of the command chain.
class CommandTable : public CommandResponder {
  public:
    // Runs the command with its argument; whether it ran.
    using Perform = std::function<bool(std::string_view argument)>;
    using State = std::function<CommandState()>;

    // Adds or replaces `name`. Without `state` the command is always enabled and unchecked.
    CommandTable& add(std::string name, Perform perform, State state = {});
    bool contains(std::string_view name) const { return m_entries.find(name) != m_entries.end(); }

    std::optional<CommandState> commandState(std::string_view name) const override;
    bool performCommand(std::string_view name, std::string_view argument) override;

  private:
    struct Entry {
        Perform perform;
        State state;
    };
    std::map<std::string, Entry, std::less<>> m_entries;
};

}  // namespace platform
