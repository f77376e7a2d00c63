#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace platform {

class HostServices;

// A command of the application's window: its title, its keyboard shortcut in
// the portable text form ("Ctrl+N") and what it does.
struct WindowCommand {
    std::string title;
    std::string shortcut;
    std::function<void(HostServices& services)> perform;
};

// What the application's window offers besides its pages: commands, and what
// becomes of local files and folders dropped on it. The application describes
// them; the window host turns them into shortcuts and drop handling.
class WindowCommands {
  public:
    using DropHandler =
        std::function<void(HostServices& services, std::vector<std::filesystem::path> paths)>;

    WindowCommands& add(WindowCommand command);
    // Without a handler the window takes no drops.
    WindowCommands& onDrop(DropHandler handler);

    const std::vector<WindowCommand>& commands() const { return m_commands; }
    const DropHandler& dropHandler() const { return m_dropHandler; }

    // The commands of the running application: none until the application
    // sets them, before its window is made. Main thread only.
    static const WindowCommands& applicationCommands();
    static void setApplicationCommands(WindowCommands commands);

  private:
    std::vector<WindowCommand> m_commands;
    DropHandler m_dropHandler;
};

}  // namespace platform
