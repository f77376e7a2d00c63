#include "AudioDevice.h"

#include "Platform/Foundation/Log.h"

#include <SDL.h>
#include <SDL_mixer.h>

namespace platform {

AudioDevice::~AudioDevice() {
    close();
}

bool AudioDevice::open() {
    if (m_open) return true;
    if (m_unavailable) return false;

    std::string error;
    if (tryOpen(error)) return true;

    Log("Audio: no output device (" + error + "); playing silently");
    // The override outranks $SDL_AUDIODRIVER, which may name the driver that
    // just failed.
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    m_driverOverridden = true;
    std::string dummyError;
    if (tryOpen(dummyError)) {
        m_silentFallback = true;
        return true;
    }
    m_unavailable = true;
    return false;
}

bool AudioDevice::tryOpen(std::string& error) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = SDL_GetError();
        return false;
    }
    // The period stays as asked (no SDL_AUDIO_ALLOW_SAMPLES_CHANGE): SDL buffers
    // when the hardware wants another size, and our latency stays one period.
    const int allowedChanges = SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE;
    if (Mix_OpenAudioDevice(kFrequency, AUDIO_S16SYS, kOutputChannels, kPeriodFrames, nullptr,
                            allowedChanges) != 0) {
        error = Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    Mix_AllocateChannels(kMixerChannels);
    Uint16 format = 0;
    if (Mix_QuerySpec(&m_frequency, &format, &m_outputChannels) == 0) {
        m_frequency = kFrequency;
        m_outputChannels = kOutputChannels;
    }
    m_open = true;
    return true;
}

void AudioDevice::close() {
    const bool usedSdl = m_open || m_driverOverridden;
    if (m_open) {
        Mix_HaltChannel(-1);
        // Joins the audio thread: no mixer callback runs after this returns.
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    if (m_driverOverridden) SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    // Nothing else in the process uses SDL; release what SDL keeps globally so
    // that the process ends clean.
    if (usedSdl && SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
    m_open = false;
    m_unavailable = false;
    m_silentFallback = false;
    m_driverOverridden = false;
    m_frequency = 0;
    m_outputChannels = 0;
}

}  // namespace platform
