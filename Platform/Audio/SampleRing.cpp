#include "SampleRing.h"

#include <algorithm>
#include <bit>

namespace platform {

SampleRing::SampleRing(std::size_t capacity)
    : m_samples(std::bit_ceil(std::max<std::size_t>(capacity, 2))), m_mask(m_samples.size() - 1) {}

std::size_t SampleRing::write(const float* samples, std::size_t count) {
    const std::size_t written = m_written.load(std::memory_order_relaxed);
    const std::size_t read = m_read.load(std::memory_order_acquire);
    const std::size_t room = m_samples.size() - (written - read);
    // All or nothing: a block cut short would leave the channels misaligned.
    const std::size_t taken = count <= room ? count : 0;
    for (std::size_t i = 0; i < taken; ++i) m_samples[(written + i) & m_mask] = samples[i];
    m_written.store(written + taken, std::memory_order_release);
    return taken;
}

std::size_t SampleRing::read(float* out, std::size_t count) {
    const std::size_t read = m_read.load(std::memory_order_relaxed);
    const std::size_t written = m_written.load(std::memory_order_acquire);
    const std::size_t given = std::min(count, written - read);
    for (std::size_t i = 0; i < given; ++i) out[i] = m_samples[(read + i) & m_mask];
    m_read.store(read + given, std::memory_order_release);
    return given;
}

void SampleRing::discard(std::size_t count) {
    const std::size_t read = m_read.load(std::memory_order_relaxed);
    const std::size_t written = m_written.load(std::memory_order_acquire);
    m_read.store(read + std::min(count, written - read), std::memory_order_release);
}

std::size_t SampleRing::available() const {
    return m_written.load(std::memory_order_acquire) - m_read.load(std::memory_order_acquire);
}

}  // namespace platform
