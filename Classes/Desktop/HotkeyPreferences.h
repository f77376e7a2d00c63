#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

// The global hotkeys each board was given, kept with the desktop preferences
// (never among the favourite marks): for every board, by its normal path, the
// combination of each action ("sound:<audio number>", or a command's name such
// as "stopAllSounds") in its text form. Written durably at every change; an
// entry of the wrong kind reads as none.
namespace HotkeyPreferences {
using Assignments = std::map<std::string, std::string>;

Assignments forBoard(const std::filesystem::path& board);
// `combination` none: the action has no hotkey any more.
void assign(const std::filesystem::path& board, const std::string& action,
            const std::optional<std::string>& combination);
}  // namespace HotkeyPreferences
