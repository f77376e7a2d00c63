#include "VoiceMix.h"

#include <algorithm>

namespace platform {

VoiceMix::VoiceMix(int frequency, int channels)
    : m_channels(static_cast<std::size_t>(std::max(1, channels))),
      m_microphone(frequency, channels) {
    m_limiter.configure(frequency, channels);
}

void VoiceMix::addMicrophone(const float* samples, std::size_t frames) {
    m_microphone.add(samples, frames);
}

void VoiceMix::clearMicrophone() {
    m_microphone.clear();
}

void VoiceMix::render(SampleRing& sounds, float* out, std::size_t frames) {
    const std::size_t wanted = frames * m_channels;
    std::fill(out, out + wanted, 0.0f);

    // The sounds: late frames past the bound go first, whole frames only.
    // (The mixer's bursts are bounded by its server buffer: a fixed bound.)
    const std::size_t most = kMostSoundFrames * m_channels;
    if (const std::size_t waiting = sounds.available(); waiting > most) {
        sounds.discard((waiting - most) / m_channels * m_channels);
    }
    if (!m_soundsPrimed) m_soundsPrimed = sounds.available() >= kPrimeFrames * m_channels;
    if (m_soundsPrimed) {
        // Straight into the silence: what the ring lacks stays silent.
        const std::size_t given = sounds.read(out, wanted);
        if (given < wanted) m_soundsPrimed = false;
    }
    m_microphone.mixInto(out, frames);
    m_limiter.limit(out, frames);
}

}  // namespace platform
