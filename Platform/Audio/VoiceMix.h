#pragma once

#include "MasterBus.h"
#include "MicrophoneBuffer.h"
#include "SampleRing.h"

#include <cstddef>

namespace platform {

// What the virtual microphone carries, made on the voice chat's stream thread:
// the program's finished mix (from a ring the mixer's thread fills) plus the
// user's microphone, summed and limited so a loud clip over a loud voice
// never clips.
//
// Both inputs run on clocks of their own (the speakers', the microphone's),
// so each is a small jitter buffer: the sounds start being handed out once
// kPrimeFrames wait (after being empty), and whatever piles up past
// kMostSoundFrames (drift, a stalled reader) is dropped, so the delay never
// grows. The microphone's buffer follows its bursts (MicrophoneBuffer).
class VoiceMix {
  public:
    // About 5.8 ms at 44.1 kHz: two of the mixer's periods with room for a
    // late wake-up.
    static constexpr std::size_t kPrimeFrames = 256;
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

    const MicrophoneBuffer& microphone() const { return m_microphone; }

  private:
    std::size_t m_channels;
    MasterBus m_limiter;
    MicrophoneBuffer m_microphone;
    bool m_soundsPrimed = false;
};

}  // namespace platform
