#pragma once

#include <optional>

// The board options of the command line, handled before any window starts.
//   --make-board SOURCE BOARD  makes a board from a folder of audio files
//   --check-board DIR          reports every problem of a board
// Either one runs and gives the exit status (0 on success, 1 otherwise, 2 for a
// command line with a mistake, which changes nothing); the
// report goes to standard output, skipped files and errors to standard error.
// Without them, decides which board opens: the one given with --bundle (then
// remembered when it is a board, forgotten when it is the application's own),
// else the one opened last, else the bundled one; and answers none. A --bundle
// folder that is neither a board nor an application bundle gives 1 and one line
// that says so, before any window starts.
std::optional<int> runBoardCommandLine(int argc, char** argv);
