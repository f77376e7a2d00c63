#include "WindowCommands.h"

namespace platform {
namespace {

WindowCommands& sharedCommands() {
    static WindowCommands commands;
    return commands;
}

}  // namespace

WindowCommands& WindowCommands::add(WindowCommand command) {
    m_commands.push_back(std::move(command));
    return *this;
}

WindowCommands& WindowCommands::onDrop(DropHandler handler) {
    m_dropHandler = std::move(handler);
    return *this;
}

const WindowCommands& WindowCommands::applicationCommands() {
    return sharedCommands();
}

void WindowCommands::setApplicationCommands(WindowCommands commands) {
    sharedCommands() = std::move(commands);
}

}  // namespace platform
