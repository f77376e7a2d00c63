#include "MicrophoneBuffer.h"

#include <algorithm>
#include <limits>

namespace platform {

namespace {

constexpr std::size_t kNoneYet = std::numeric_limits<std::size_t>::max();

std::size_t framesOf(int frequency, int milliseconds) {
    return static_cast<std::size_t>(std::max(1, frequency)) *
           static_cast<std::size_t>(milliseconds) / 1000;
}

}  // namespace

MicrophoneBuffer::MicrophoneBuffer(int frequency, int channels)
    : m_channels(static_cast<std::size_t>(std::max(1, channels))),
      m_capacity(std::max(framesOf(frequency, kCapacitySeconds * 1000), 2 * kMostFrames)),
      m_periodFrames(std::max<std::size_t>(framesOf(frequency, kPeriodMilliseconds), 1)),
      m_samples(m_capacity * m_channels),
      m_lowest(kNoneYet) {}

std::size_t MicrophoneBuffer::burst() const {
    return std::max(m_burst, m_burstBefore);
}

std::size_t MicrophoneBuffer::primeFrames() const {
    return std::min(std::max(kPrimeFrames, burst()), m_capacity / 2);
}

std::size_t MicrophoneBuffer::mostFrames() const {
    const std::size_t bursts = std::min(burst(), m_capacity);
    return std::min(std::max(kMostFrames, 2 * bursts + kPrimeFrames), m_capacity);
}

void MicrophoneBuffer::dropOldest(std::size_t frames) {
    const std::size_t dropped = std::min(frames, m_frames);
    m_first = (m_first + dropped) % m_capacity;
    m_frames -= dropped;
}

void MicrophoneBuffer::add(const float* samples, std::size_t frames) {
    m_sinceRender += frames;
    m_burst = std::max(m_burst, m_sinceRender);
    // More than the ring holds: only the newest part can ever be heard.
    if (frames > m_capacity) {
        samples += (frames - m_capacity) * m_channels;
        frames = m_capacity;
    }
    if (m_frames + frames > m_capacity) dropOldest(m_frames + frames - m_capacity);
    std::size_t at = (m_first + m_frames) % m_capacity;
    for (std::size_t left = frames; left > 0;) {
        const std::size_t run = std::min(left, m_capacity - at);
        std::copy_n(samples, run * m_channels,
                    m_samples.begin() + static_cast<std::ptrdiff_t>(at * m_channels));
        samples += run * m_channels;
        left -= run;
        at = (at + run) % m_capacity;
    }
    m_frames += frames;
    if (const std::size_t most = mostFrames(); m_frames > most) dropOldest(m_frames - most);
}

std::size_t MicrophoneBuffer::mixInto(float* out, std::size_t frames) {
    m_sinceRender = 0;
    if (!m_primed) m_primed = m_frames >= primeFrames();
    std::size_t given = 0;
    if (m_primed) {
        given = std::min(frames, m_frames);
        for (std::size_t left = given; left > 0;) {
            const std::size_t run = std::min(left, m_capacity - m_first);
            const float* from = m_samples.data() + m_first * m_channels;
            for (std::size_t i = 0; i < run * m_channels; ++i) out[i] += from[i];
            out += run * m_channels;
            left -= run;
            dropOldest(run);
        }
        if (given < frames) m_primed = false;
    }

    m_lowest = std::min(m_lowest, m_frames);
    m_rendered += frames;
    if (m_rendered >= m_periodFrames) {
        if (m_lowest != kNoneYet && m_lowest > kCushionFrames) {
            dropOldest(m_lowest - kCushionFrames);
        }
        m_burstBefore = m_burst;
        m_burst = 0;
        m_lowest = kNoneYet;
        m_rendered = 0;
    }
    return given;
}

void MicrophoneBuffer::clear() {
    m_first = 0;
    m_frames = 0;
    m_primed = false;
    m_sinceRender = 0;
    m_burst = 0;
    m_burstBefore = 0;
    m_lowest = kNoneYet;
    m_rendered = 0;
}

}  // namespace platform
