#pragma once

#include "Platform/Foundation/WindowFrame.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

class HostServices;

// What a command stands for on the desktop, where the desktop has its own place
// or keys for it (the application menu's Quit, About and Preferences).
enum class WindowCommandRole { kNone, kQuit, kAbout, kPreferences };

// A command of the application's window: its title, its keyboard shortcuts in
// the portable text form ("Ctrl+N", "Ctrl+.", "Pause") and what it does; and,
// when it is shown in a menu, the menu's title and how it looks there.
//
// Everything computed (title, enabled, checked, submenu) is asked for when its
// menu opens and before a shortcut is taken, on the main thread, never while idle.
struct WindowCommand {
    std::string title;
    std::string shortcut;
    std::function<void(HostServices& services)> perform;

    // The name it is sent under through the application's command chain
    // (Application::sendCommand); empty for a command that acts by itself.
    std::string name = {};
    // Further shortcuts for the same command, after `shortcut`.
    std::vector<std::string> otherShortcuts = {};
    // The title of the menu it appears in; empty: a shortcut alone, in no menu.
    std::string menu = {};
    // A line before it in its menu.
    bool separatorBefore = false;
    WindowCommandRole role = WindowCommandRole::kNone;
    // The title as it stands now; empty: `title` always.
    std::function<std::string()> currentTitle = {};
    // Whether it can be performed now; empty: always.
    std::function<bool()> enabled = {};
    // A check mark: its state now; empty: not checkable.
    std::function<bool()> checked = {};
    // A submenu instead of an action: its items, computed each time it opens.
    std::function<std::vector<WindowCommand>()> submenu = {};

    // A command with a title, a shortcut and an action; the rest as defaults.
    static WindowCommand make(std::string title, std::string shortcut,
                              std::function<void(HostServices& services)> perform) {
        WindowCommand made;
        made.title = std::move(title);
        made.shortcut = std::move(shortcut);
        made.perform = std::move(perform);
        return made;
    }

    // A command sent by name: performed, enabled and (when `checkable`)
    // checked as the application's command chain answers `name` now.
    static WindowCommand routed(std::string title, std::string shortcut, std::string name,
                                bool checkable = false);

    // Every shortcut, `shortcut` first; empty ones left out.
    std::vector<std::string> shortcuts() const;
    std::string titleNow() const { return currentTitle ? currentTitle() : title; }
    bool isEnabledNow() const { return !enabled || enabled(); }
    // Made by routed(): it sends its name rather than act by itself.
    bool routesByName = false;
};

// What the application's window offers besides its pages: commands, grouped in
// menus, and what becomes of local files and folders dropped on it. The
// application describes them; the window host turns them into a menu bar,
// shortcuts and drop handling.
class WindowCommands {
  public:
    using DropHandler =
        std::function<void(HostServices& services, std::vector<std::filesystem::path> paths)>;
    using WindowOpened = std::function<void(HostServices& services)>;
    using FrameRecall = std::function<std::optional<WindowFrame>()>;
    using FrameKeeper = std::function<void(const WindowFrame& frame)>;

    WindowCommands& add(WindowCommand command);
    // Adds `command` to the menu titled `menu`.
    WindowCommands& add(std::string menu, WindowCommand command);
    // Adds every command of `other`, in order, and its handlers where this has none.
    WindowCommands& addAll(WindowCommands other);
    // Without a handler the window takes no drops.
    WindowCommands& onDrop(DropHandler handler);
    // Runs once the window is made, before it shows (the place for a saved zoom).
    WindowCommands& onWindowOpened(WindowOpened opened);
    // Where the window was left: asked for once before it shows (the window
    // host keeps it on a visible screen), told where it stands when it closes.
    WindowCommands& rememberFrame(FrameRecall recall, FrameKeeper keep);

    const std::vector<WindowCommand>& commands() const { return m_commands; }
    const DropHandler& dropHandler() const { return m_dropHandler; }
    const WindowOpened& windowOpened() const { return m_windowOpened; }
    const FrameRecall& frameRecall() const { return m_frameRecall; }
    const FrameKeeper& frameKeeper() const { return m_frameKeeper; }
    // The menu titles, in the order their first command was added.
    std::vector<std::string> menus() const;

    // The commands of the running application: none until the application
    // sets them, before its window is made. Setting them also puts the named
    // ones that act by themselves into the application's command table.
    // Main thread only.
    static const WindowCommands& applicationCommands();
    static void setApplicationCommands(WindowCommands commands);

  private:
    std::vector<WindowCommand> m_commands;
    DropHandler m_dropHandler;
    WindowOpened m_windowOpened;
    FrameRecall m_frameRecall;
    FrameKeeper m_frameKeeper;
};

}  // namespace platform
