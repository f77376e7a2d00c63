#include "VoiceMix.h"

#include <algorithm>

namespace platform {

VoiceMix::VoiceMix(int frequency, int channels)
    : m_channels(static_cast<std::size_t>(std::max(1, channels))) {
    m_limiter.configure(frequency, channels);
}

std::size_t VoiceMix::primeFor(std::size_t burst) {
    return std::max(kPrimeFrames, burst);
}

std::size_t VoiceMix::mostFor(std::size_t burst) {
    return std::max(kMostFrames, 2 * burst + kPrimeFrames);
}

void VoiceMix::addMicrophone(const float* samples, std::size_t frames) {
    m_microphoneSinceRender += frames;
    m_microphoneBurst = std::max(m_microphoneBurst, m_microphoneSinceRender);
    m_microphone.insert(m_microphone.end(), samples, samples + frames * m_channels);
    const std::size_t most = microphoneMostFrames() * m_channels;
    if (m_microphone.size() > most) {
        m_microphone.erase(
            m_microphone.begin(),
            m_microphone.begin() + static_cast<std::ptrdiff_t>(m_microphone.size() - most));
    }
}

void VoiceMix::clearMicrophone() {
    m_microphone.clear();
    m_microphonePrimed = false;
    m_microphoneBurst = 0;
    m_microphoneSinceRender = 0;
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
        m_sounds.resize(wanted);
        const std::size_t given = sounds.read(m_sounds.data(), wanted / m_channels * m_channels);
        std::copy(m_sounds.begin(), m_sounds.begin() + static_cast<std::ptrdiff_t>(given), out);
        if (given < wanted) m_soundsPrimed = false;
    }
    m_microphoneSinceRender = 0;

    if (!m_microphonePrimed) {
        m_microphonePrimed = m_microphone.size() >= microphonePrimeFrames() * m_channels;
    }
    if (m_microphonePrimed) {
        const std::size_t given = std::min(wanted, m_microphone.size());
        for (std::size_t i = 0; i < given; ++i) out[i] += m_microphone[i];
        m_microphone.erase(m_microphone.begin(),
                           m_microphone.begin() + static_cast<std::ptrdiff_t>(given));
        if (given < wanted) m_microphonePrimed = false;
    }
    m_limiter.limit(out, frames);
}

}  // namespace platform
