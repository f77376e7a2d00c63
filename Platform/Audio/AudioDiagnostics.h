#pragma once

// Hooks into the system sound machinery for benchmarks and tests. The
// application never needs them.

#include "Platform/Audio/SystemSounds.h"

#include <functional>
#include <optional>

namespace platform::audio_diagnostics {

// The format the output actually runs at.
struct OutputFormat {
    int frequency = 0;            // frames per second
    int channels = 0;             // interleaved output channels
    int periodFrames = 0;         // frames the mixer produces per callback
    bool silentFallback = false;  // no device opened; SDL's dummy driver runs instead
};

// Called on the audio thread, once per play of a registered sound, at the
// moment the mixer first mixes that play's samples into the output: the end of
// the tap-to-sound path. Plays started before the observer was set are not
// reported. The observer must be quick and must not call the system sound
// functions. Empty clears it.
void setFirstMixObserver(std::function<void(SystemSoundID)> observer);

// None while the output is closed (nothing registered or played yet, or after
// resetForTesting()).
std::optional<OutputFormat> outputFormat();

// Does what process exit does: stops and frees every sound, closes the output
// and forgets the vibration handler and the first-mix observer. The next
// registration opens the output afresh. The play and vibration counts are kept.
void resetForTesting();

}  // namespace platform::audio_diagnostics
