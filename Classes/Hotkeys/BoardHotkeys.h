#pragma once

#include "Platform/Hotkeys/GlobalHotkeys.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class HostServices;
}

// The open board's global hotkeys: what each action (a sound of the board,
// Stop All Sounds, Volume Up and Down, Mute) is bound to, kept per board in
// the desktop preferences and grabbed again whenever a board opens. A hotkey
// sends its command through the application, as the menu or the play page's
// button would.
class BoardHotkeys {
  public:
    // `hotkeys` null: the desktop offers none, and `unavailable` says so in one line.
    BoardHotkeys(std::unique_ptr<platform::GlobalHotkeys> hotkeys, std::string unavailable);
    ~BoardHotkeys();
    BoardHotkeys(const BoardHotkeys&) = delete;
    BoardHotkeys& operator=(const BoardHotkeys&) = delete;

    static std::string soundAction(const std::string& audioNumber) {
        return "sound:" + audioNumber;
    }

    // Grabs the open board's hotkeys, when another board has opened since the last call.
    // Cheap otherwise: it may be called at every frame.
    void boardOpened();

    // Listens for the next combination and makes it the hotkey of `action`
    // (`title` names the action for the user); tells the user the outcome.
    void setHotkey(const std::string& action, const std::string& title,
                   platform::HostServices& services);
    // Binds `combination` (none: removes) to `action` on the open board and
    // keeps it; the reason for the user when it cannot be bound.
    std::optional<std::string> assign(const std::string& action,
                                      const std::optional<platform::Hotkey>& combination);

    std::optional<std::string> hotkeyText(const std::string& action) const;
    // One line per hotkey of the open board: "Air Horn: Ctrl+Alt+1". Or the
    // line that says why there are none.
    std::string listing() const;
    bool available() const { return m_hotkeys != nullptr; }
    const std::string& unavailable() const { return m_unavailable; }

  private:
    struct Binding {
        std::string action;
        platform::Hotkey hotkey;
    };
    void fire(int binding);
    std::optional<std::filesystem::path> openBoard() const;
    int bindingOf(const std::string& action);

    std::unique_ptr<platform::GlobalHotkeys> m_hotkeys;
    std::string m_unavailable;
    std::optional<std::filesystem::path> m_board;
    // By binding number; an unbound slot keeps its action with no key.
    std::vector<std::optional<Binding>> m_bindings;
};
