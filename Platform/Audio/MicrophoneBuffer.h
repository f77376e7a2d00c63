#pragma once

#include <cstddef>
#include <vector>

namespace platform {

// The user's microphone on its way into the virtual microphone: a jitter
// buffer between the microphone's clock and the null sink's, both sides on
// the voice chat's stream thread.
//
// Its storage is one ring allocated up front (a few seconds), so a callback
// never allocates nor moves the samples that wait. How deep it runs follows
// the microphone: the largest burst that came between two renders sets the
// depth it starts handing samples out at and the most it keeps. That figure
// is held for a period or two of a few seconds and then released, so one late
// wake-up costs a few seconds of extra delay rather than all of the session's,
// while a source with a long fixed latency, that sends a second at a time,
// renews its burst every period and is delayed by one, not cut. What waited
// all through a period without being needed is only delay: it goes at the
// period's end, in one cut, down to a small cushion.
class MicrophoneBuffer {
  public:
    // About 5.8 ms at 44.1 kHz: a microphone fragment with room for a late
    // wake-up; the depth a steady microphone starts at.
    static constexpr std::size_t kPrimeFrames = 256;
    // About 17 ms: the least that is kept before the oldest frames go.
    static constexpr std::size_t kMostFrames = 768;
    // What is left of a backlog that was never needed: a steady
    // microphone's own depth after a render is never cut.
    static constexpr std::size_t kCushionFrames = kPrimeFrames;
    // The ring: room for two of the longest blocks a source sends (a second).
    static constexpr int kCapacitySeconds = 3;
    // The period: longer than the gap between two blocks of a source that
    // sends a second at a time, late ones too.
    static constexpr int kPeriodMilliseconds = 2500;

    MicrophoneBuffer(int frequency, int channels);

    // Frames as they arrive (interleaved); past the bound the oldest go.
    void add(const float* samples, std::size_t frames);
    // Adds up to `frames` waiting frames into `out` once primed; returns how
    // many were given. One call is one render.
    std::size_t mixInto(float* out, std::size_t frames);
    // Forgets everything (another microphone, or none).
    void clear();

    std::size_t frames() const { return m_frames; }
    std::size_t capacityFrames() const { return m_capacity; }
    // The depth it starts handing out at after being empty, and the most it
    // keeps, both in frames, as they stand now.
    std::size_t primeFrames() const;
    std::size_t mostFrames() const;

  private:
    std::size_t burst() const;
    void dropOldest(std::size_t frames);

    std::size_t m_channels;
    std::size_t m_capacity;
    std::size_t m_periodFrames;
    std::vector<float> m_samples;
    std::size_t m_first = 0;  // the oldest frame's index in the ring
    std::size_t m_frames = 0;
    bool m_primed = false;
    std::size_t m_sinceRender = 0;
    // The largest burst in this period and in the one before.
    std::size_t m_burst = 0;
    std::size_t m_burstBefore = 0;
    // The least that waited after a render in this period, and how much of
    // the period was rendered.
    std::size_t m_lowest;
    std::size_t m_rendered = 0;
};

}  // namespace platform
