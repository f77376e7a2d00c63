#include "ChannelMixer.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform {

double ChannelMixer::clampedGain(double gainDecibels) {
    if (!std::isfinite(gainDecibels)) return 0;
    return std::clamp(gainDecibels, kMinimumGainDecibels, kMaximumGainDecibels);
}

bool ChannelMixer::play(Mix_Chunk* chunk, SystemSoundID soundID, double gainDecibels, bool loops) {
    const int channel = chooseChannel();
    if (channel < 0) return false;
    if (m_observing.load()) watchFirstMix(channel, soundID);
    // A channel keeps its volume from play to play: every play sets its own.
    // Quieter is the channel's volume; louder is a boost of the samples.
    const double factor = std::pow(10.0, clampedGain(gainDecibels) / 20.0);
    Mix_Volume(channel, static_cast<int>(std::lround(MIX_MAX_VOLUME * std::min(factor, 1.0))));
    m_boost[static_cast<std::size_t>(channel)].store(static_cast<float>(std::max(factor, 1.0)));
    if (factor > 1.0) {
        // Dropped by SDL_mixer when the play ends, like the first-mix watch.
        Mix_RegisterEffect(channel, &ChannelMixer::onBoostedChannelMixed, nullptr, this);
    }
    // The channel is free here: only this class starts plays, under the owner's
    // lock, and the audio thread only ever ends them.
    if (Mix_PlayChannel(channel, chunk, loops ? -1 : 0) != channel) {
        m_awaitingFirstMix[static_cast<std::size_t>(channel)].store(0);
        return false;
    }
    m_startOrder[static_cast<std::size_t>(channel)] = ++m_startsSoFar;
    return true;
}

int ChannelMixer::chooseChannel() {
    int oldest = -1;
    std::uint64_t oldestStart = std::numeric_limits<std::uint64_t>::max();
    for (int channel = 0; channel < AudioDevice::kMixerChannels; ++channel) {
        if (Mix_Playing(channel) == 0) return channel;
        const std::uint64_t started = m_startOrder[static_cast<std::size_t>(channel)];
        if (started < oldestStart) {
            oldestStart = started;
            oldest = channel;
        }
    }
    if (oldest >= 0) Mix_HaltChannel(oldest);
    return oldest;
}

void ChannelMixer::watchFirstMix(int channel, SystemSoundID soundID) {
    m_awaitingFirstMix[static_cast<std::size_t>(channel)].store(soundID);
    // SDL_mixer drops a channel's effects when its play ends or is halted, so
    // each watched play registers afresh; the channel is idle at this point.
    Mix_RegisterEffect(channel, &ChannelMixer::onChannelMixed, nullptr, this);
}

void ChannelMixer::onChannelMixed(int channel, void* /*stream*/, int /*length*/, void* self) {
    if (channel < 0 || channel >= AudioDevice::kMixerChannels || self == nullptr) return;
    auto& mixer = *static_cast<ChannelMixer*>(self);
    const SystemSoundID soundID =
        mixer.m_awaitingFirstMix[static_cast<std::size_t>(channel)].exchange(0);
    if (soundID == 0) return;
    FirstMixObserver observer;
    {
        std::lock_guard lock(mixer.m_observerMutex);
        observer = mixer.m_observer;
    }
    if (observer) observer(soundID);
}

void ChannelMixer::onBoostedChannelMixed(int channel, void* stream, int length, void* self) {
    if (channel < 0 || channel >= AudioDevice::kMixerChannels || self == nullptr ||
        stream == nullptr || length <= 0) {
        return;
    }
    const float boost =
        static_cast<ChannelMixer*>(self)->m_boost[static_cast<std::size_t>(channel)].load();
    if (boost <= 1.0f) return;
    auto* samples = static_cast<std::int16_t*>(stream);
    const std::size_t count = static_cast<std::size_t>(length) / sizeof(std::int16_t);
    for (std::size_t index = 0; index < count; ++index) {
        const float scaled = samples[index] * boost;
        samples[index] = static_cast<std::int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
    }
}

void ChannelMixer::stop(const Mix_Chunk* chunk) {
    for (int channel = 0; channel < AudioDevice::kMixerChannels; ++channel) {
        if (Mix_Playing(channel) != 0 && Mix_GetChunk(channel) == chunk) {
            Mix_HaltChannel(channel);
        }
    }
}

std::size_t ChannelMixer::playingCount() const {
    std::size_t count = 0;
    for (int channel = 0; channel < AudioDevice::kMixerChannels; ++channel) {
        if (Mix_Playing(channel) != 0) ++count;
    }
    return count;
}

std::size_t ChannelMixer::playingCount(const Mix_Chunk* chunk) const {
    std::size_t count = 0;
    for (int channel = 0; channel < AudioDevice::kMixerChannels; ++channel) {
        if (Mix_Playing(channel) != 0 && Mix_GetChunk(channel) == chunk) ++count;
    }
    return count;
}

void ChannelMixer::reset() {
    m_startOrder.fill(0);
    m_startsSoFar = 0;
    for (auto& awaited : m_awaitingFirstMix) awaited.store(0);
}

void ChannelMixer::setFirstMixObserver(FirstMixObserver observer) {
    const bool observing = static_cast<bool>(observer);
    {
        std::lock_guard lock(m_observerMutex);
        m_observer = std::move(observer);
    }
    m_observing.store(observing);
}

}  // namespace platform
