#include "Classes/Search/SearchCommands.h"

#include "Classes/CommandNames.h"

platform::WindowCommand findSoundCommand() {
    return platform::WindowCommand::routed(kFindSoundTitle, "Ctrl+F",
                                           std::string(command_names::kFind));
}
