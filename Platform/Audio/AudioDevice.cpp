#include "AudioDevice.h"

#include "LostDeviceWatch.h"
#include "Platform/Foundation/Log.h"
#include "SoundServerQuery.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace platform {
namespace {

constexpr const char* kApplicationName = "Soundboard";
constexpr const char* kIconName = "org.soundboard.Soundboard";

bool driverChosenByUser() {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    return driver != nullptr && *driver != 0;
}

// The stream's name, its role and the program's name and icon, as the
// desktop's volume mixer shows them. SDL passes the first ones on; the icon
// goes through the client libraries' own environment properties.
void nameTheStream() {
    SDL_SetHint(SDL_HINT_APP_NAME, kApplicationName);
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, kApplicationName);
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, kApplicationName);
    // Sound effects are what PulseAudio calls event sounds.
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE, "event");
    setenv("PULSE_PROP_application.icon_name", kIconName, 0);
    setenv("PULSE_PROP_application.id", kIconName, 0);
    setenv("PIPEWIRE_PROPS", "{ application.icon-name = org.soundboard.Soundboard }", 0);
}

// The sink the server's client library connects an unnamed stream to. Both
// read it when SDL starts its audio subsystem, which is why a device change
// starts the subsystem afresh. Opening SDL's default device (rather than the
// sink by name) leaves the stream movable: when the sink goes, the server
// itself moves the stream to its default at once, without a gap.
void aimTheClientAt(const std::string& sink) {
    if (sink.empty()) {
        unsetenv("PULSE_SINK");
        unsetenv("PIPEWIRE_NODE");
    } else {
        setenv("PULSE_SINK", sink.c_str(), 1);
        setenv("PIPEWIRE_NODE", sink.c_str(), 1);
    }
}

bool sdlHasDriver(std::string_view name) {
    for (int index = 0; index < SDL_GetNumAudioDrivers(); ++index) {
        if (const char* driver = SDL_GetAudioDriver(index); driver != nullptr && name == driver) {
            return true;
        }
    }
    return false;
}

std::string describe(const std::optional<SoundServerState>& server, const std::string& sink) {
    if (server) {
        for (const OutputDeviceInfo& device : server->sinks) {
            if (device.name == sink) return device.description;
        }
    }
    return sink;
}

}  // namespace

AudioDevice::~AudioDevice() {
    close();
}

bool AudioDevice::open() {
    if (m_open) return resume();
    if (m_unavailable) return false;
    nameTheStream();
    m_frequency = kFrequency;
    m_outputChannels = kOutputChannels;
    m_followsServer = !driverChosenByUser();

    std::optional<SoundServerState> server;
    if (m_followsServer) {
        server = querySoundServer();
        if (!server) {
            openSilently("no sound server is running");
            return m_open;
        }
    }
    if (!m_deviceName.empty() && !(server && server->hasSink(m_deviceName))) {
        fallBackToDefault(server ? "the sound server does not list it" : "no sound server");
    }
    std::string error;
    const int allowedChanges = SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE;
    if (startSubsystem(server, error)) {
        if (openMixer(allowedChanges, error)) {
            m_server = server;
            logFormat(server);
            return true;
        }
        stopSubsystem();
    }
    openSilently(error);
    return m_open;
}

bool AudioDevice::startSubsystem(const std::optional<SoundServerState>& server,
                                 std::string& error) {
    if (m_followsServer) {
        const bool pipeWire = server && server->pipeWire && sdlHasDriver("pipewire");
        const char* driver = !server ? "dummy" : pipeWire ? "pipewire" : "pulseaudio";
        // The override outranks $SDL_AUDIODRIVER and anything set before.
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver, SDL_HINT_OVERRIDE);
        m_driverOverridden = true;
    }
    aimTheClientAt(m_deviceName);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) return true;
    error = SDL_GetError();
    // PipeWire's driver needs its library at the version SDL was built for;
    // the server speaks PulseAudio's protocol as well.
    if (m_followsServer && server && server->pipeWire) {
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "pulseaudio", SDL_HINT_OVERRIDE);
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) return true;
        error = SDL_GetError();
    }
    return false;
}

void AudioDevice::stopSubsystem() {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool AudioDevice::openMixer(int allowedChanges, std::string& error) {
    if (Mix_OpenAudioDevice(m_frequency, AUDIO_F32SYS, m_outputChannels, kPeriodFrames, nullptr,
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
    m_suspended = false;
    ++m_openings;
    m_bus.configure(m_frequency, m_outputChannels);
    Mix_SetPostMix(&MasterBus::process, &m_bus);
    applyVolume();
    watchForLostOutputDevices();
    return true;
}

void AudioDevice::closeMixer() {
    // Joins the audio thread. The chunks belong to the registry, not to the
    // output, and stay valid: the format is kept exactly on reopening (no
    // changes allowed), SDL converts for the new device, and nothing is
    // decoded again.
    Mix_HaltChannel(-1);
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
}

void AudioDevice::openSilently(const std::string& reason) {
    Log("Audio: no output device (" + reason + "); playing silently");
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    m_driverOverridden = true;
    std::string error;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        m_unavailable = true;
        return;
    }
    const int allowedChanges =
        m_open ? 0 : SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE;
    if (!openMixer(allowedChanges, error)) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_open = false;
        m_unavailable = true;
        return;
    }
    m_silentFallback = true;
}

void AudioDevice::reopen(const std::optional<SoundServerState>& server) {
    if (!m_suspended) closeMixer();
    stopSubsystem();
    m_silentFallback = false;
    m_suspended = false;
    m_server = server;
    if (m_followsServer && !server) {
        openSilently("the sound server is gone");
        return;
    }
    if (!m_deviceName.empty() && !(server && server->hasSink(m_deviceName))) {
        fallBackToDefault("the sound server does not list it");
    }
    std::string error;
    if (startSubsystem(server, error)) {
        if (openMixer(0, error)) {
            logFormat(server);
            return;
        }
        stopSubsystem();
    }
    openSilently(error);
}

void AudioDevice::suspend() {
    if (!m_open || m_suspended) return;
    closeMixer();
    m_suspended = true;
}

bool AudioDevice::resume() {
    if (!m_open) return false;
    if (!m_suspended) return true;
    std::string error;
    if (openMixer(0, error)) return true;
    // The server changed while the stream was closed (gone, or restarted with
    // the subsystem still bound to the old connection): start again.
    reopen(m_followsServer ? querySoundServer() : std::nullopt);
    return m_open;
}

void AudioDevice::fallBackToDefault(const std::string& reason) {
    Log("Audio: output device “" + describe(m_server, m_deviceName) + "” is not available (" +
        reason + "); playing on the system default");
    m_deviceName.clear();
}

void AudioDevice::logFormat(const std::optional<SoundServerState>& server) const {
    const char* driver = SDL_GetCurrentAudioDriver();
    if (driver == nullptr || std::string_view(driver) == "dummy") return;
    const int tenths =
        m_frequency > 0 ? (10000 * kPeriodFrames + m_frequency / 2) / m_frequency : 0;
    const std::string milliseconds =
        std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    Log(std::string("Audio: playing through SDL's ") + driver + " driver" +
        (server ? " on " + server->serverName : std::string()) + ", " +
        std::to_string(m_frequency) + " Hz, " + std::to_string(m_outputChannels) +
        " channels, 32-bit float, " + std::to_string(kPeriodFrames) + "-frame buffer (" +
        milliseconds + " ms)");
}

std::vector<OutputDeviceInfo> AudioDevice::outputDevices() {
    std::optional<SoundServerState> server = querySoundServer();
    if (m_open && m_followsServer) {
        serverChanged(server);
    } else if (m_open && server && !m_deviceName.empty() && !server->hasSink(m_deviceName)) {
        fallBackToDefault("no longer listed");
        reopen(std::nullopt);
    }
    return server ? server->sinks : std::vector<OutputDeviceInfo>{};
}

bool AudioDevice::setOutputDevice(const std::string& name) {
    if (!m_open) {
        m_deviceName = name;
        return true;
    }
    if (name == m_deviceName) return true;
    const std::optional<SoundServerState> server = querySoundServer();
    m_deviceName = name;
    if (!name.empty() && !(server && server->hasSink(name))) {
        m_server = server;
        fallBackToDefault(server ? "the sound server does not list it" : "no sound server");
        return false;
    }
    reopen(m_followsServer ? server : std::nullopt);
    return m_deviceName == name;
}

bool AudioDevice::serverChanged(const std::optional<SoundServerState>& state) {
    if (!m_open || !m_followsServer) {
        m_server = state;
        return false;
    }
    if (!state) {
        m_server = state;
        if (m_silentFallback) return false;
        Log("Audio: the sound server went away; playing silently until it is back");
        reopen(std::nullopt);
        return true;
    }
    if (m_silentFallback) {
        Log("Audio: sound server “" + state->serverName + "” found; playing on it");
        reopen(state);
        return true;
    }
    const bool chosenGone = !m_deviceName.empty() && !state->hasSink(m_deviceName);
    if (chosenGone) {
        fallBackToDefault("it is gone from the sound server");
        // The server has already moved the stream to its default sink; the
        // next start of the subsystem must not ask for the old one.
        aimTheClientAt({});
    }
    m_server = state;
    return chosenGone;
}

bool AudioDevice::outputLost() {
    if (!m_open || m_silentFallback) return false;
    // SDL's stream died (the server ended, or it refused to move the stream):
    // open again wherever the server is now.
    reopen(m_followsServer ? querySoundServer() : std::nullopt);
    return true;
}

void AudioDevice::setVolume(int percent) {
    m_volumePercent = std::clamp(percent, 0, 100);
    if (m_open && !m_suspended) applyVolume();
}

void AudioDevice::setMuted(bool muted) {
    m_muted = muted;
    if (m_open && !m_suspended) applyVolume();
}

void AudioDevice::applyVolume() const {
    const int level = m_muted ? 0 : (m_volumePercent * MIX_MAX_VOLUME + 50) / 100;
    Mix_MasterVolume(level);
}

void AudioDevice::close() {
    const bool usedSdl = m_open || m_driverOverridden;
    if (m_open) {
        if (!m_suspended) closeMixer();
        Mix_Quit();
        stopSubsystem();
    }
    if (m_driverOverridden) SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    // Nothing else in the process uses SDL; release what SDL keeps globally so
    // that the process ends clean.
    if (usedSdl && SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
    m_open = false;
    m_suspended = false;
    m_unavailable = false;
    m_silentFallback = false;
    m_followsServer = false;
    m_driverOverridden = false;
    m_frequency = 0;
    m_outputChannels = 0;
    m_server.reset();
    // The chosen device, the level and the mute are the user's, kept for the next opening.
}

}  // namespace platform
