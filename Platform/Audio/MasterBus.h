#pragma once

#include <cstdint>

namespace platform {

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

  private:
    int m_channels = 2;
    float m_release = 0.0f;
    float m_envelope = 0.0f;
};

}  // namespace platform
