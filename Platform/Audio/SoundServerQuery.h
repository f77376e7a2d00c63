#pragma once

#include "SoundServerState.h"

#include <chrono>
#include <optional>

namespace platform {

// Asks the user's sound server (the one libpulse finds: $PULSE_SERVER, else the
// socket in $XDG_RUNTIME_DIR) for its name and sinks, and waits for the answer
// up to `timeout`. None when no server answers; a missing server costs one
// failed connect() and prints nothing. Never starts a server.
std::optional<SoundServerState> querySoundServer(
    std::chrono::milliseconds timeout = std::chrono::milliseconds(1500));

}  // namespace platform
