#pragma once

#include "Platform/Audio/VoiceChatControls.h"

#include <chrono>
#include <optional>
#include <vector>

namespace platform {

// Asks the user's sound server for its capture sources, waiting up to
// `timeout`: monitors of sinks and the voice chat's own microphone left out,
// in the server's order. None when no server answers. Never starts a server.
std::optional<std::vector<MicrophoneInfo>> querySoundSources(
    std::chrono::milliseconds timeout = std::chrono::milliseconds(1500));

}  // namespace platform
