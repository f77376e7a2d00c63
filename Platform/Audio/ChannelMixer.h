#pragma once

#include "AudioDevice.h"
#include "Platform/Audio/SystemSounds.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

struct Mix_Chunk;

namespace platform {

// Chooses the mixer channel for each play and answers what is sounding.
//
// Channel choice: the first free channel; when all are busy, the channel whose
// play started longest ago is stopped and reused. Start order is counted here
// rather than taken from SDL_mixer's millisecond start times, which tie when
// several plays start within one millisecond.
//
// play(), stop() and the counts are called with the owner's lock held; only the
// first-mix observer is also reached from the audio thread.
class ChannelMixer {
  public:
    using FirstMixObserver = std::function<void(SystemSoundID)>;

    static constexpr double kMinimumGainDecibels = -60;
    static constexpr double kMaximumGainDecibels = 24;

    ChannelMixer() = default;
    ChannelMixer(const ChannelMixer&) = delete;
    ChannelMixer& operator=(const ChannelMixer&) = delete;

    // Starts `chunk` on a channel, once or looping until stopped, at
    // `gainDecibels` (see clampedGain), and returns at once. False when the
    // mixer refused the play.
    bool play(Mix_Chunk* chunk, SystemSoundID soundID, double gainDecibels = 0, bool loops = false);
    // The gain a play takes: -60..+24 dB, 0 for a value that is not a number.
    static double clampedGain(double gainDecibels);
    // Halts every channel that plays `chunk`.
    void stop(const Mix_Chunk* chunk);
    std::size_t playingCount() const;
    std::size_t playingCount(const Mix_Chunk* chunk) const;
    // Forgets start order and pending first mixes; for a freshly opened output.
    void reset();

    // Called on the audio thread, once per play, when the mixer first mixes
    // that play's samples into the output. Empty clears it. Must not call back
    // into the system sound functions. Set it before the plays it should see.
    void setFirstMixObserver(FirstMixObserver observer);

  private:
    using Channels = std::array<int, AudioDevice::kMixerChannels>;

    int chooseChannel();
    void watchFirstMix(int channel, SystemSoundID soundID);
    // Mix_EffectFunc_t: runs on the audio thread for every period a watched
    // channel is mixed, before its samples are added to the output.
    static void onChannelMixed(int channel, void* stream, int length, void* self);
    // Mix_EffectFunc_t for a play louder than its sound: scales the channel's
    // 16-bit samples by its boost, clipped at full scale. Audio thread.
    static void onBoostedChannelMixed(int channel, void* stream, int length, void* self);

    std::array<std::uint64_t, AudioDevice::kMixerChannels> m_startOrder{};
    std::uint64_t m_startsSoFar = 0;

    // Per channel: the sound whose first mix is awaited, 0 when none. Written by
    // play(), taken (exchanged with 0) by the audio thread.
    std::array<std::atomic<SystemSoundID>, AudioDevice::kMixerChannels> m_awaitingFirstMix{};
    std::atomic<bool> m_observing{false};
    // Per channel: the linear factor above 1 its play is boosted by, read by
    // the audio thread while the play lasts.
    std::array<std::atomic<float>, AudioDevice::kMixerChannels> m_boost{};
    std::mutex m_observerMutex;  // guards m_observer only; never held with other locks
    FirstMixObserver m_observer;
};

}  // namespace platform
