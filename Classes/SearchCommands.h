#pragma once

#include "Platform/UI/WindowCommands.h"

// "Find Sound…" (Ctrl+F): opens the search page over whatever page is shown,
// in the same navigation stack, so Back (or Escape) returns to that page. While
// the search page is on top the command keeps it as it is.
platform::WindowCommand findSoundCommand();
inline constexpr const char* kFindSoundTitle = "Find Sound…";

// Pushes a new search page onto the application's navigation stack, unless the
// top page is a search page already. False when nothing was pushed.
bool openSearchPage();
