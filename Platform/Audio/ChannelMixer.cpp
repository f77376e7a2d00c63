#include "ChannelMixer.h"

#include "CompactSound.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace platform {
namespace {

// How long after a stop the channel is halted: the fade plus a period that may
// already be on its way to the server, with room for a late callback. The
// channel sounds silence in between.
constexpr int kHaltAfterMilliseconds = 60;

}  // namespace

double ChannelMixer::clampedGain(double gainDecibels) {
    if (!std::isfinite(gainDecibels)) return 0;
    return std::clamp(gainDecibels, kMinimumGainDecibels, kMaximumGainDecibels);
}

bool ChannelMixer::play(Mix_Chunk* chunk, SystemSoundID soundID, double gainDecibels, bool loops) {
    const int channel = chooseChannel();
    if (channel < 0) return false;
    const auto index = static_cast<std::size_t>(channel);
    m_fadeLeft[index].store(-1);
    m_gain[index].store(static_cast<float>(std::pow(10.0, clampedGain(gainDecibels) / 20.0)));
    m_awaitingFirstMix[index].store(m_observing.load() ? soundID : 0);
    // The registry owns the compact samples as long as the chunk, which
    // outlives every play of it.
    const CompactSound* compact = CompactSound::find(chunk).get();
    m_compact[index].store(compact);
    m_compactFrame[index].store(0);
    // SDL_mixer drops a channel's effects when its play ends or is halted, so
    // each play registers afresh; the channel is idle at this point. Effects
    // run in the order registered: the samples first, then gain and fade.
    if (compact != nullptr) {
        Mix_RegisterEffect(channel, &ChannelMixer::onCompactMixed, nullptr, this);
    }
    Mix_RegisterEffect(channel, &ChannelMixer::onChannelMixed, nullptr, this);
    // The channel is free here: only this class starts plays, under the owner's
    // lock, and the audio thread only ever ends them.
    if (Mix_PlayChannel(channel, chunk, loops ? -1 : 0) != channel) {
        m_awaitingFirstMix[index].store(0);
        Mix_UnregisterAllEffects(channel);
        return false;
    }
    m_startOrder[index] = ++m_startsSoFar;
    return true;
}

int ChannelMixer::chooseChannel() {
    int fading = -1;
    int oldest = -1;
    std::uint64_t oldestStart = std::numeric_limits<std::uint64_t>::max();
    for (int channel = 0; channel < AudioDevice::kMixerChannels; ++channel) {
        if (Mix_Playing(channel) == 0) return channel;
        if (isFading(channel)) {
            if (fading < 0) fading = channel;
            continue;
        }
        const std::uint64_t started = m_startOrder[static_cast<std::size_t>(channel)];
        if (started < oldestStart) {
            oldestStart = started;
            oldest = channel;
        }
    }
    // A channel near the end of its fade is the least audible one to take.
    const int taken = fading >= 0 ? fading : oldest;
    if (taken >= 0) Mix_HaltChannel(taken);
    return taken;
}

bool ChannelMixer::isFading(int channel) const {
    return m_fadeLeft[static_cast<std::size_t>(channel)].load() >= 0;
}

void ChannelMixer::fadeOut(int channel) {
    int notFading = -1;
    if (m_fadeLeft[static_cast<std::size_t>(channel)].compare_exchange_strong(notFading,
                                                                              m_fadeFrames)) {
        Mix_ExpireChannel(channel, kHaltAfterMilliseconds);
    }
}

void ChannelMixer::onChannelMixed(int channel, void* stream, int length, void* self) {
    if (channel < 0 || channel >= AudioDevice::kMixerChannels || self == nullptr) return;
    auto& mixer = *static_cast<ChannelMixer*>(self);
    mixer.applyGainAndFade(channel, stream, length);
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

void ChannelMixer::onCompactMixed(int channel, void* stream, int length, void* self) {
    if (channel < 0 || channel >= AudioDevice::kMixerChannels || self == nullptr ||
        stream == nullptr || length <= 0) {
        return;
    }
    auto& mixer = *static_cast<ChannelMixer*>(self);
    const auto index = static_cast<std::size_t>(channel);
    const CompactSound* sound = mixer.m_compact[index].load();
    if (sound == nullptr) return;
    const auto channels = static_cast<std::size_t>(mixer.m_channels);
    const std::size_t frames = static_cast<std::size_t>(length) / (sizeof(float) * channels);
    thread_local std::vector<float> samples;
    samples.resize(frames * channels);
    const std::size_t from = mixer.m_compactFrame[index].load();
    sound->render(from, samples.data(), frames);
    std::memcpy(stream, samples.data(), samples.size() * sizeof(float));
    // The mixer hands each stretch of the chunk over once, in order, a loop
    // starting over at its first frame: counting frames keeps the place.
    mixer.m_compactFrame[index].store((from + frames) % std::max<std::size_t>(1, sound->frames()));
}

void ChannelMixer::applyGainAndFade(int channel, void* stream, int length) {
    std::atomic<int>& fadeLeft = m_fadeLeft[static_cast<std::size_t>(channel)];
    const float trim = m_gain[static_cast<std::size_t>(channel)].load();
    int left = fadeLeft.load();
    if ((left < 0 && trim == 1.0f) || stream == nullptr || length <= 0) return;
    const auto channels = static_cast<std::size_t>(m_channels);
    const std::size_t frames = static_cast<std::size_t>(length) / (sizeof(float) * channels);
    thread_local std::vector<float> samples;
    samples.resize(frames * channels);
    std::memcpy(samples.data(), stream, samples.size() * sizeof(float));
    for (std::size_t frame = 0; frame < frames; ++frame) {
        // Linear to exactly 0, one step of 1/m_fadeFrames per frame.
        const float fade = left < 0   ? 1.0f
                           : left > 0 ? static_cast<float>(left - 1) / m_fadeFrames
                                      : 0.0f;
        const float gain = fade * trim;
        for (std::size_t at = frame * channels; at < (frame + 1) * channels; ++at) {
            samples[at] *= gain;
        }
        if (left > 0) --left;
    }
    std::memcpy(stream, samples.data(), samples.size() * sizeof(float));
    // Only a fade counts down; the audio thread is the only writer while it runs.
    if (left >= 0) fadeLeft.store(left);
}

void ChannelMixer::stop(const Mix_Chunk* chunk) {
    for (int channel = 0; channel < AudioDevice::kMixerChannels; ++channel) {
        if (Mix_Playing(channel) != 0 && (chunk == nullptr || Mix_GetChunk(channel) == chunk)) {
            fadeOut(channel);
        }
    }
}

std::size_t ChannelMixer::playingCount() const {
    std::size_t count = 0;
    for (int channel = 0; channel < AudioDevice::kMixerChannels; ++channel) {
        if (Mix_Playing(channel) != 0 && !isFading(channel)) ++count;
    }
    return count;
}

std::size_t ChannelMixer::playingCount(const Mix_Chunk* chunk) const {
    std::size_t count = 0;
    for (int channel = 0; channel < AudioDevice::kMixerChannels; ++channel) {
        if (Mix_Playing(channel) != 0 && !isFading(channel) && Mix_GetChunk(channel) == chunk) {
            ++count;
        }
    }
    return count;
}

bool ChannelMixer::mixes(const Mix_Chunk* chunk) const {
    for (int channel = 0; channel < AudioDevice::kMixerChannels; ++channel) {
        if (Mix_Playing(channel) != 0 && Mix_GetChunk(channel) == chunk) return true;
    }
    return false;
}

void ChannelMixer::reset(int frequency, int channels) {
    m_startOrder.fill(0);
    m_startsSoFar = 0;
    for (auto& awaited : m_awaitingFirstMix) awaited.store(0);
    for (auto& fade : m_fadeLeft) fade.store(-1);
    for (auto& gain : m_gain) gain.store(1.0f);
    for (auto& compact : m_compact) compact.store(nullptr);
    for (auto& frame : m_compactFrame) frame.store(0);
    if (frequency > 0) {
        m_fadeFrames = std::max(1, static_cast<int>(std::lround(kFadeSeconds * frequency)));
    }
    if (channels > 0) m_channels = channels;
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
