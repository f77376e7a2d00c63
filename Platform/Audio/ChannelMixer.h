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

class CompactSound;

// Chooses the mixer channel for each play and answers what is sounding.
//
// Channel choice: the first free channel; when all are busy, the channel whose
// play started longest ago is stopped and reused. Start order is counted here
// rather than taken from SDL_mixer's millisecond start times, which tie when
// several plays start within one millisecond.
//
// Gain: each play may be quieter or louder than its sound (a volume trim);
// the channel's float samples are scaled on the audio thread, and the master
// bus's limiter keeps the sum below full scale.
//
// Stops fade: a stopped play is ramped down to silence over kFadeSeconds on
// the audio thread (a cut from full level to nothing clicks), and SDL_mixer
// halts the channel once the ramp has surely been mixed. A fading play no
// longer counts as playing.
//
// play(), stop() and the counts are called with the owner's lock held; the
// fades and the first-mix observer are also reached from the audio thread.
class ChannelMixer {
  public:
    using FirstMixObserver = std::function<void(SystemSoundID)>;

    static constexpr double kMinimumGainDecibels = -60;
    static constexpr double kMaximumGainDecibels = 24;

    ChannelMixer() { reset(); }
    ChannelMixer(const ChannelMixer&) = delete;
    ChannelMixer& operator=(const ChannelMixer&) = delete;

    // Starts `chunk` on a channel, once or looping until stopped, at
    // `gainDecibels` (see clampedGain), and returns at once. False when the
    // mixer refused the play.
    bool play(Mix_Chunk* chunk, SystemSoundID soundID, double gainDecibels = 0, bool loops = false);
    // The gain a play takes: -60..+24 dB, 0 for a value that is not a number.
    static double clampedGain(double gainDecibels);
    static constexpr double kFadeSeconds = 0.008;

    // Fades out every channel that plays `chunk` (null: every channel).
    void stop(const Mix_Chunk* chunk);
    // Plays that sound and are not fading out.
    std::size_t playingCount() const;
    std::size_t playingCount(const Mix_Chunk* chunk) const;
    // Whether any channel still mixes `chunk`, fading or not: the chunk may be
    // freed only when none does.
    bool mixes(const Mix_Chunk* chunk) const;
    // Forgets start order, fades and pending first mixes; for a freshly opened
    // output of this format (32-bit float samples).
    void reset(int frequency = 0, int channels = 0);

    // Called on the audio thread, once per play, when the mixer first mixes
    // that play's samples into the output. Empty clears it. Must not call back
    // into the system sound functions. Set it before the plays it should see.
    void setFirstMixObserver(FirstMixObserver observer);

  private:
    using Channels = std::array<int, AudioDevice::kMixerChannels>;

    int chooseChannel();
    void fadeOut(int channel);
    bool isFading(int channel) const;
    // Mix_EffectFunc_t: runs on the audio thread for every period a watched
    // channel is mixed, before its samples are added to the output.
    static void onChannelMixed(int channel, void* stream, int length, void* self);
    // Scales the channel's samples by its play's gain and, while it fades, by the fade.
    void applyGainAndFade(int channel, void* stream, int length);
    // Registered first for a compact sound: puts its samples in the stream.
    static void onCompactMixed(int channel, void* stream, int length, void* self);

    std::array<std::uint64_t, AudioDevice::kMixerChannels> m_startOrder{};
    std::uint64_t m_startsSoFar = 0;

    // Per channel: the sound whose first mix is awaited, 0 when none. Written by
    // play(), taken (exchanged with 0) by the audio thread.
    std::array<std::atomic<SystemSoundID>, AudioDevice::kMixerChannels> m_awaitingFirstMix{};
    // Per channel: frames of fade still to go, -1 when the play is not fading.
    // Set by stop(), counted down by the audio thread.
    std::array<std::atomic<int>, AudioDevice::kMixerChannels> m_fadeLeft{};
    // Per channel: the linear gain of its play, read by the audio thread.
    std::array<std::atomic<float>, AudioDevice::kMixerChannels> m_gain{};
    // Per channel: the compact sound its play mixes (null for a float chunk),
    // kept alive by the chunk the channel plays, and the next frame of it.
    std::array<std::atomic<const CompactSound*>, AudioDevice::kMixerChannels> m_compact{};
    std::array<std::atomic<std::size_t>, AudioDevice::kMixerChannels> m_compactFrame{};
    int m_fadeFrames = 1;
    int m_channels = 2;
    std::atomic<bool> m_observing{false};
    std::mutex m_observerMutex;  // guards m_observer only; never held with other locks
    FirstMixObserver m_observer;
};

}  // namespace platform
