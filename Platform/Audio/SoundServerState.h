#pragma once

#include "Platform/Audio/SystemSounds.h"

#include <string>
#include <vector>

namespace platform {

// What the user's sound server reports at one moment.
struct SoundServerState {
    // As the server names itself, e.g. "pulseaudio" or "PulseAudio (on PipeWire 0.3.65)".
    std::string serverName;
    // PipeWire answers the PulseAudio protocol too; SDL then plays through its
    // own PipeWire driver, which takes one hop less.
    bool pipeWire = false;
    std::string defaultSink;
    // Playback devices in the server's order; monitors of them are not listed.
    std::vector<OutputDeviceInfo> sinks;

    bool hasSink(const std::string& name) const;
    bool operator==(const SoundServerState&) const = default;
};

}  // namespace platform
