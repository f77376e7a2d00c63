#pragma once

#include "Platform/UI/WindowCommands.h"

// The File menu's board commands beside "New Board from Folder…":
// "Open Board…" asks for a board folder, opens it in the window and remembers
// it; "Open Recent" lists the sounds that came with the program, then the
// boards opened lately, most recent first (one no longer there is shown disabled); "Check Board"
// checks the open board as
// --check-board does and shows the same report.
platform::WindowCommand openBoardCommand();
platform::WindowCommand openRecentCommand();
platform::WindowCommand checkBoardCommand();
