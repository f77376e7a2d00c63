#include "MasterBus.h"

#include "AudioThreadPriority.h"
#include "SampleRing.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace platform {

void MasterBus::configure(int frequency, int channels) {
    m_channels = std::max(1, channels);
    m_frequency = frequency;
    const double rate = frequency > 0 ? frequency : 44100;
    m_release = static_cast<float>(std::exp(-1.0 / (kReleaseSeconds * rate)));
    m_envelope = 0.0f;
}

void MasterBus::setTap(SampleRing* tap, int frequency, int channels) {
    m_tapFrequency.store(frequency);
    m_tapChannels.store(channels);
    m_tap.store(tap);
}

void MasterBus::process(void* bus, std::uint8_t* stream, int length) {
    if (bus == nullptr || stream == nullptr || length <= 0) return;
    // The hook runs on the mixer's thread, every period from its first.
    AudioThreadPriority::raiseCallingThreadOnce();
    auto& self = *static_cast<MasterBus*>(bus);
    const std::size_t frameBytes = sizeof(float) * static_cast<std::size_t>(self.m_channels);
    const std::size_t frames = static_cast<std::size_t>(length) / frameBytes;
    // SDL hands the buffer over as bytes; floats are copied out and back so no
    // alignment is assumed.
    thread_local std::vector<float> samples;
    samples.resize(frames * static_cast<std::size_t>(self.m_channels));
    std::memcpy(samples.data(), stream, samples.size() * sizeof(float));
    self.limit(samples.data(), frames);
    SampleRing* tap = self.m_tap.load();
    if (tap != nullptr && self.m_tapFrequency.load() == self.m_frequency &&
        self.m_tapChannels.load() == self.m_channels) {
        tap->write(samples.data(), samples.size());
    }
    if (self.m_speakersSilent.load()) {
        std::memset(stream, 0, samples.size() * sizeof(float));
        return;
    }
    std::memcpy(stream, samples.data(), samples.size() * sizeof(float));
}

void MasterBus::limit(float* samples, std::size_t frames) {
    const auto channels = static_cast<std::size_t>(m_channels);
    for (std::size_t frame = 0; frame < frames; ++frame) {
        float* at = samples + frame * channels;
        float peak = 0.0f;
        bool finite = true;
        for (std::size_t channel = 0; channel < channels; ++channel) {
            // Tested one by one: std::max would pass a NaN over.
            finite = finite && std::isfinite(at[channel]);
            peak = std::max(peak, std::fabs(at[channel]));
        }
        if (!finite) {
            // Nothing sane to scale: this frame is dropped, the next ones are not.
            std::fill(at, at + channels, 0.0f);
            continue;
        }
        m_envelope = std::max(peak, m_envelope * m_release);
        if (m_envelope <= kCeiling) continue;
        const float gain = kCeiling / m_envelope;
        // The clamp catches the last bit a rounded product may have over.
        for (std::size_t channel = 0; channel < channels; ++channel) {
            at[channel] = std::clamp(at[channel] * gain, -kCeiling, kCeiling);
        }
    }
}

}  // namespace platform
