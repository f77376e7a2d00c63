#pragma once

#include "Platform/UI/WindowCommands.h"

#include <vector>

// The Sound menu's voice chat items: Play into Voice Chat (checked while on,
// disabled with its reason when no server can take it), Microphone (the
// server's capture sources, "System default" and "None") and Hear Sounds
// Myself. Every choice is kept in the desktop preferences.
std::vector<platform::WindowCommand> voiceChatCommands();

// At launch: the kept microphone and Hear Sounds Myself, and the mode on when
// it was left on or `--voice-chat` asks for it (this run only), with or
// without a window.
void startVoiceChatAtLaunch(int argc, char** argv);
