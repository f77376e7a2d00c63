#include "AudioDevice.h"

#include "LostDeviceWatch.h"
#include "Platform/Foundation/Log.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>

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
    m_frequency = kFrequency;
    m_outputChannels = kOutputChannels;
    if (!m_deviceName.empty()) {
        if (openMixer(m_deviceName.c_str(), allowedChanges, error)) return true;
        fallBackToDefault(error);
    }
    if (openMixer(nullptr, allowedChanges, error)) return true;
    m_frequency = 0;
    m_outputChannels = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
}

bool AudioDevice::openMixer(const char* device, int allowedChanges, std::string& error) {
    if (Mix_OpenAudioDevice(m_frequency, AUDIO_S16SYS, m_outputChannels, kPeriodFrames, device,
                            allowedChanges) != 0) {
        error = Mix_GetError();
        return false;
    }
    Mix_AllocateChannels(kMixerChannels);
    Uint16 format = 0;
    int frequency = 0;
    int channels = 0;
    if (Mix_QuerySpec(&frequency, &format, &channels) != 0) {
        m_frequency = frequency;
        m_outputChannels = channels;
    }
    m_open = true;
    applyVolume();
    watchForLostOutputDevices();
    return true;
}

void AudioDevice::fallBackToDefault(const std::string& error) {
    Log("Audio: output device “" + m_deviceName + "” is not available (" + error +
        "); playing on the system default");
    m_deviceName.clear();
}

std::vector<std::string> AudioDevice::outputDevices() {
    std::vector<std::string> names;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return names;
    const int count = SDL_GetNumAudioDevices(0);
    for (int index = 0; index < count; ++index) {
        if (const char* name = SDL_GetAudioDeviceName(index, 0); name != nullptr && *name != 0) {
            names.emplace_back(name);
        }
    }
    // Balances the start above; the output, when open, holds its own reference.
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (!m_open && SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
    // A device unplugged while in use leaves its name off the list: the output
    // moves to the system default, once.
    if (m_open && !m_deviceName.empty() &&
        std::find(names.begin(), names.end(), m_deviceName) == names.end()) {
        fallBackToDefault("no longer listed");
        reopenOnDefault();
    }
    return names;
}

bool AudioDevice::setOutputDevice(const std::string& name) {
    if (!m_open) {
        m_deviceName = name;
        return true;
    }
    if (name == m_deviceName) return true;
    closeMixer();
    m_deviceName = name;
    if (!name.empty()) {
        std::string error;
        if (openMixer(name.c_str(), 0, error)) return true;
        fallBackToDefault(error);
    }
    return reopenMixerOnDefault() && name.empty();
}

void AudioDevice::closeMixer() {
    // Joins the audio thread. The chunks belong to the registry, not to the
    // output, and stay valid: the format is kept exactly on reopening (no
    // changes allowed), SDL converts for the new device, and nothing is decoded again.
    Mix_HaltChannel(-1);
    Mix_CloseAudio();
    m_open = false;
}

void AudioDevice::reopenOnDefault() {
    closeMixer();
    reopenMixerOnDefault();
}

bool AudioDevice::reopenMixerOnDefault() {
    std::string error;
    if (openMixer(nullptr, 0, error)) return true;
    // Not even the default device opens now: the silent output, as on first open.
    Log("Audio: no output device (" + error + "); playing silently");
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    m_driverOverridden = true;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    std::string dummyError;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        m_unavailable = true;
    } else if (openMixer(nullptr, 0, dummyError)) {
        m_silentFallback = true;
    } else {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_unavailable = true;
    }
    return false;
}

void AudioDevice::setVolume(int percent) {
    m_volumePercent = std::clamp(percent, 0, 100);
    if (m_open) applyVolume();
}

void AudioDevice::setMuted(bool muted) {
    m_muted = muted;
    if (m_open) applyVolume();
}

void AudioDevice::applyVolume() const {
    const int level = m_muted ? 0 : (m_volumePercent * MIX_MAX_VOLUME + 50) / 100;
    Mix_MasterVolume(level);
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
    // The chosen device, the level and the mute are the user's, kept for the next opening.
}

}  // namespace platform
