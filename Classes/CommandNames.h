#pragma once

#include "Platform/UI/CommandResponder.h"

#include <string_view>

// Every command of the program by name, as the menus, the keys and any other
// trigger send it (platform::Application::sendCommand). The page on top
// answers first, then its navigation stack, the application's own commands,
// and last the application's delegate.
namespace command_names {

// The play page's sound, as its play button (the layout's default action).
inline constexpr std::string_view kPlay = "play";
// The play page's favourite button; checked while the sound is marked.
inline constexpr std::string_view kToggleFavourite = "toggleFavourite";
// The sound of the open board whose audio number is the argument, as its play page plays it.
inline constexpr std::string_view kPlaySound = "playSound";
inline constexpr std::string_view kStopAllSounds = "stopAllSounds";
inline constexpr std::string_view kVolumeUp = "volumeUp";
inline constexpr std::string_view kVolumeDown = "volumeDown";
// Checked while muted.
inline constexpr std::string_view kMute = "mute";
inline constexpr std::string_view kOpenFavourites = "openFavourites";
// A page listing one category of the open board; the argument is its position,
// counting from 1 as the View menu and Ctrl+1 to Ctrl+9 do.
inline constexpr std::string_view kOpenCategory = "openCategory";
// The pads page: every sound of the open board as a button; checked there.
inline constexpr std::string_view kOpenPads = "openPads";
inline constexpr std::string_view kFind = "find";
inline constexpr std::string_view kOpenInfo = "openInfo";
inline constexpr std::string_view kToggleOptions = "toggleOptions";
inline constexpr std::string_view kBack = platform::commands::kBack;
inline constexpr std::string_view kDefaultAction = platform::commands::kDefaultAction;
inline constexpr std::string_view kZoomIn = "zoomIn";
inline constexpr std::string_view kZoomOut = "zoomOut";
inline constexpr std::string_view kActualSize = "actualSize";
inline constexpr std::string_view kKeyboardShortcuts = "keyboardShortcuts";
inline constexpr std::string_view kNewBoard = "newBoard";
inline constexpr std::string_view kOpenBoard = "openBoard";
inline constexpr std::string_view kCheckBoard = "checkBoard";
inline constexpr std::string_view kQuit = "quit";
// The main page's list read again from the open board (after sounds were added).
inline constexpr std::string_view kReloadBoard = "reloadBoard";
// Waits for the next key combination and makes it the global hotkey of the
// sound whose audio number is the argument. Answered only where global hotkeys run.
inline constexpr std::string_view kSetSoundHotkey = "setSoundHotkey";

}  // namespace command_names
