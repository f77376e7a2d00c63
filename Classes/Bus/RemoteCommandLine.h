#pragma once

#include <optional>

// The command line's requests to a soundboard that already runs, over the
// session bus:
//   --play LABEL   plays the sound labelled LABEL on its open board
//   --stop-all     stops every sound it plays
// Either gives the exit status: 0 once the running copy accepted, 1 with one
// line on standard error when no copy runs or it refused (no such sound).
// Nothing is started and no window opens. Without them, answers none.
std::optional<int> runRemoteCommandLine(int argc, char** argv);
