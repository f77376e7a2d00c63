#pragma once

#include "Platform/UI/WindowCommands.h"

class BoardHotkeys;

// The Sound menu's hotkey commands: Set Hotkey… for the sound of the play
// page on top (its hotkey in the title), and a Global Hotkeys submenu for
// Stop All Sounds, Volume Up, Volume Down and Mute. `hotkeys` outlives them.
platform::WindowCommands hotkeyCommands(BoardHotkeys& hotkeys);
// Answers command_names::kSetSoundHotkey (a sound's context menu) through
// `hotkeys`, for the sound of the open board with that audio number.
void answerSoundHotkeyCommand(BoardHotkeys& hotkeys);
