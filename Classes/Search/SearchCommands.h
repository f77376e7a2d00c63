#pragma once

#include "Platform/UI/WindowCommands.h"

// "Find Sound…" (Ctrl+F): opens the search page over whatever page is shown,
// in the same navigation stack, so Back (or Escape) returns to that page. While
// the search page is on top the command is unavailable.
platform::WindowCommand findSoundCommand();
inline constexpr const char* kFindSoundTitle = "Find Sound…";
