#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

namespace platform {

// A single-producer, single-consumer queue of interleaved float samples that
// neither side ever waits on: the mixer's audio thread writes the finished
// mix, the voice chat's stream thread reads it. A block that does not fit is
// dropped whole (the reader has stalled; the newest samples matter less than
// never blocking the speakers, and a whole block keeps frames aligned).
class SampleRing {
  public:
    // Room for `capacity` samples, rounded up to a power of two.
    explicit SampleRing(std::size_t capacity);
    SampleRing(const SampleRing&) = delete;
    SampleRing& operator=(const SampleRing&) = delete;

    // Producer side. Returns how many samples were taken: all or none.
    std::size_t write(const float* samples, std::size_t count);
    // Consumer side: up to `count` samples, the oldest first.
    std::size_t read(float* out, std::size_t count);
    // Consumer side: forgets up to `count` of the oldest samples.
    void discard(std::size_t count);
    // Either side: how many samples wait now.
    std::size_t available() const;
    std::size_t capacity() const { return m_samples.size(); }

  private:
    std::vector<float> m_samples;
    std::size_t m_mask;
    std::atomic<std::size_t> m_written{0};
    std::atomic<std::size_t> m_read{0};
};

}  // namespace platform
