#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace platform {

class SampleRing;

// The last stage of the mix, on the audio thread: a peak limiter that keeps
// the sum of every play under kCeiling, however many overlap.
//
// Below the ceiling it does nothing at all, so one sound plays sample for
// sample as its file holds it. A frame whose peak would pass the ceiling is
// scaled down to it at once (no overshoot, hence no clipping after SDL turns
// the floats into the server's integers), and the gain then comes back up
// smoothly over kReleaseSeconds, so a burst of overlapping plays sounds
// quieter, not distorted.
class MasterBus {
  public:
    // -1 dBFS: room for the server's own conversion and resampling.
    static constexpr float kCeiling = 0.891f;
    static constexpr double kReleaseSeconds = 0.08;

    // For the format the mixer runs at (32-bit float, interleaved). Call
    // before the bus is handed to the mixer.
    void configure(int frequency, int channels);

    // SDL_mixer's post-mix hook: `stream` holds `length` bytes of floats.
    static void process(void* bus, std::uint8_t* stream, int length);

    // The same on plain samples, for the hook and for tests.
    void limit(float* samples, std::size_t frames);

    // The finished mix (after the level, the mute and the limiter) is also
    // handed to `tap` while one is set, on the audio thread, without waiting;
    // none stops it. Only a mix at `frequency` and `channels` is handed over
    // (another would play at the wrong pitch). The ring must outlive the
    // bus's use by the mixer.
    void setTap(SampleRing* tap, int frequency, int channels);
    // Silent speakers: the mix still runs (and reaches the tap), the output
    // is handed zeros.
    void setSpeakersSilent(bool silent) { m_speakersSilent.store(silent); }

  private:
    std::atomic<SampleRing*> m_tap{nullptr};
    std::atomic<bool> m_speakersSilent{false};
    std::atomic<int> m_tapFrequency{0};
    std::atomic<int> m_tapChannels{0};
    int m_frequency = 44100;
    int m_channels = 2;
    float m_release = 0.0f;
    float m_envelope = 0.0f;
};

}  // namespace platform
