#include "ChannelMixer.h"

#include <SDL_mixer.h>

#include <limits>

namespace platform {

bool ChannelMixer::play(Mix_Chunk* chunk, SystemSoundID soundID) {
    const int channel = chooseChannel();
    if (channel < 0) return false;
    if (m_observing.load()) watchFirstMix(channel, soundID);
    // The channel is free here: only this class starts plays, under the owner's
    // lock, and the audio thread only ever ends them.
    if (Mix_PlayChannel(channel, chunk, 0) != channel) {
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
