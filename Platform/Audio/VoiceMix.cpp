#include "VoiceMix.h"

#include <algorithm>

namespace platform {

VoiceMix::VoiceMix(int frequency, int channels)
    : m_channels(static_cast<std::size_t>(std::max(1, channels))) {
    m_limiter.configure(frequency, channels);
}

void VoiceMix::addMicrophone(const float* samples, std::size_t frames) {
    m_microphone.insert(m_microphone.end(), samples, samples + frames * m_channels);
    const std::size_t most = kMostFrames * m_channels;
    if (m_microphone.size() > most) {
        m_microphone.erase(
            m_microphone.begin(),
            m_microphone.begin() + static_cast<std::ptrdiff_t>(m_microphone.size() - most));
    }
}

void VoiceMix::clearMicrophone() {
    m_microphone.clear();
    m_microphonePrimed = false;
}

void VoiceMix::render(SampleRing& sounds, float* out, std::size_t frames) {
    const std::size_t wanted = frames * m_channels;
    std::fill(out, out + wanted, 0.0f);

    // The sounds: late frames past the bound go first, whole frames only.
    const std::size_t most = kMostFrames * m_channels;
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

    if (!m_microphonePrimed) m_microphonePrimed = m_microphone.size() >= kPrimeFrames * m_channels;
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
