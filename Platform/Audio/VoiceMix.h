#pragma once

#include "MasterBus.h"
#include "SampleRing.h"

#include <cstddef>
#include <vector>

namespace platform {

// What the virtual microphone carries, made on the voice chat's stream thread:
// the program's finished mix (from a ring the mixer's thread fills) plus the
// user's microphone, summed and limited so a loud clip over a loud voice
// never clips.
//
// Both inputs run on clocks of their own (the speakers', the microphone's),
// so each is a small jitter buffer: it starts handing samples out once
// kPrimeFrames wait (after being empty), and whatever piles up past
// kMostFrames (drift, a stalled reader) is dropped, so the delay never grows.
// A microphone that arrives in larger bursts (a source with a long fixed
// latency, fragments the environment made longer) gets bounds that follow the
// largest burst seen between two renders, so it is delayed by a burst rather
// than cut to pieces.
class VoiceMix {
  public:
    // About 5.8 ms at 44.1 kHz: two of the mixer's periods, or a microphone
    // fragment, with room for a late wake-up.
    static constexpr std::size_t kPrimeFrames = 256;
    // About 17 ms: past this the oldest frames of the microphone go.
    static constexpr std::size_t kMostFrames = 768;
    // About 46 ms for the sounds: the mixer refills its server buffer in
    // bursts of up to that buffer's length (longer where $PULSE_LATENCY_MSEC
    // says so), and only what drift adds beyond a burst is dropped.
    static constexpr std::size_t kMostSoundFrames = 2048;

    VoiceMix(int frequency, int channels);

    // The user's microphone, as it arrives.
    void addMicrophone(const float* samples, std::size_t frames);
    // Forgets the microphone's queue (another microphone, or none).
    void clearMicrophone();
    // Writes `frames` of the sum into `out`: what `sounds` holds, the
    // microphone, and silence where either has nothing yet.
    void render(SampleRing& sounds, float* out, std::size_t frames);

    std::size_t microphoneFrames() const { return m_microphone.size() / m_channels; }
    // The microphone's bounds now, in frames.
    std::size_t microphonePrimeFrames() const { return primeFor(m_microphoneBurst); }
    std::size_t microphoneMostFrames() const { return mostFor(m_microphoneBurst); }

  private:
    static std::size_t primeFor(std::size_t burst);
    static std::size_t mostFor(std::size_t burst);

    std::size_t m_channels;
    MasterBus m_limiter;
    std::vector<float> m_microphone;
    std::vector<float> m_sounds;
    bool m_soundsPrimed = false;
    bool m_microphonePrimed = false;
    std::size_t m_microphoneBurst = 0;
    std::size_t m_microphoneSinceRender = 0;
};

}  // namespace platform
