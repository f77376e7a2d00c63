#include "WindowCommands.h"

#include "Application.h"

#include <algorithm>

namespace platform {
namespace {

WindowCommands& sharedCommands() {
    static WindowCommands commands;
    return commands;
}

}  // namespace

WindowCommand WindowCommand::routed(std::string title, std::string shortcut, std::string name,
                                    bool checkable) {
    WindowCommand command;
    command.title = std::move(title);
    command.shortcut = std::move(shortcut);
    command.name = std::move(name);
    command.routesByName = true;
    command.perform = [name = command.name](HostServices&) {
        Application::sharedApplication().sendCommand(name);
    };
    command.enabled = [name = command.name] {
        return Application::sharedApplication().commandState(name).enabled;
    };
    if (checkable) {
        command.checked = [name = command.name] {
            return Application::sharedApplication().commandState(name).checked;
        };
    }
    return command;
}

std::vector<std::string> WindowCommand::shortcuts() const {
    std::vector<std::string> all;
    if (!shortcut.empty()) all.push_back(shortcut);
    for (const std::string& other : otherShortcuts) {
        if (!other.empty()) all.push_back(other);
    }
    return all;
}

WindowCommands& WindowCommands::add(WindowCommand command) {
    m_commands.push_back(std::move(command));
    return *this;
}

WindowCommands& WindowCommands::add(std::string menu, WindowCommand command) {
    command.menu = std::move(menu);
    return add(std::move(command));
}

WindowCommands& WindowCommands::addAll(WindowCommands other) {
    for (WindowCommand& command : other.m_commands) m_commands.push_back(std::move(command));
    if (!m_dropHandler) m_dropHandler = std::move(other.m_dropHandler);
    if (!m_windowOpened) m_windowOpened = std::move(other.m_windowOpened);
    if (!m_frameRecall) {
        m_frameRecall = std::move(other.m_frameRecall);
        m_frameKeeper = std::move(other.m_frameKeeper);
    }
    return *this;
}

WindowCommands& WindowCommands::onWindowOpened(WindowOpened opened) {
    m_windowOpened = std::move(opened);
    return *this;
}

WindowCommands& WindowCommands::rememberFrame(FrameRecall recall, FrameKeeper keep) {
    m_frameRecall = std::move(recall);
    m_frameKeeper = std::move(keep);
    return *this;
}

WindowCommands& WindowCommands::onDrop(DropHandler handler) {
    m_dropHandler = std::move(handler);
    return *this;
}

std::vector<std::string> WindowCommands::menus() const {
    std::vector<std::string> titles;
    for (const WindowCommand& command : m_commands) {
        if (command.menu.empty()) continue;
        if (std::find(titles.begin(), titles.end(), command.menu) == titles.end()) {
            titles.push_back(command.menu);
        }
    }
    return titles;
}

const WindowCommands& WindowCommands::applicationCommands() {
    return sharedCommands();
}

void WindowCommands::setApplicationCommands(WindowCommands commands) {
    sharedCommands() = std::move(commands);
    // The named commands that act by themselves become the application's
    // link of the command chain, so that every trigger reaches them by name.
    CommandTable table;
    for (const WindowCommand& command : sharedCommands().commands()) {
        if (command.name.empty() || command.routesByName || !command.perform) continue;
        table.add(
            command.name,
            [perform = command.perform](std::string_view) {
                perform(Application::sharedApplication().hostServices());
                return true;
            },
            [enabled = command.enabled, checked = command.checked] {
                CommandState state;
                state.enabled = !enabled || enabled();
                state.checkable = static_cast<bool>(checked);
                state.checked = checked && checked();
                return state;
            });
    }
    Application::sharedApplication().commandTable() = std::move(table);
}

}  // namespace platform
