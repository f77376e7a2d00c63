#pragma once

#include "Platform/UI/WindowCommands.h"

// The window's commands for boards: "New Board from Folder…" (Ctrl+N) asks for
// a folder of sounds and a place for the board, makes it with a progress
// dialog, reports what was made and skipped, and opens it. Files or folders
// dropped on the window are added to the first category of the open board of
// the user's own, and the main page lists them at once; dropped on the
// application's own sounds, which never change, they lead to a new board.
platform::WindowCommands boardWindowCommands();
