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
    // The mixer's thread is SDL's time-critical one: real-time scheduling
    // where the system grants it (through rtkit on a desktop), so a busy
    // machine does not starve the stream.
    SDL_SetHint(SDL_HINT_THREAD_FORCE_REALTIME_TIME_CRITICAL, "1");
    // SDL asks the server for one period of buffer and refills it only once
    // the server has played all of it: no slack at all, so any late wake-up
    // underruns. The client library's own setting gives the stream a buffer
    // of its own size while SDL's short period keeps the refills fine-grained.
    setenv("PULSE_LATENCY_MSEC", std::to_string(AudioDevice::kServerBufferMilliseconds).c_str(), 0);
    // SDL's PulseAudio driver passes the role on only as a client property.
    setenv("PULSE_PROP_media.role", "event", 0);
    setenv("PULSE_PROP_application.icon_name", kIconName, 0);
    setenv("PULSE_PROP_application.id", kIconName, 0);
    setenv("PIPEWIRE_PROPS", "{ application.icon-name = org.soundboard.Soundboard }", 0);
}

// SDL lists the server's devices by description; the stream is opened by
// that name, which has SDL tell the server to keep the stream on that device:
// when the device goes, the stream ends at once (rather than being moved in a
// way SDL's driver stalls on), SDL reports it lost and the output opens again
// on the default. Empty when SDL does not list it.
std::string sdlNameOf(const std::string& description) {
    for (int index = 0; index < SDL_GetNumAudioDevices(0); ++index) {
        if (const char* name = SDL_GetAudioDeviceName(index, 0);
            name != nullptr && description == name) {
            return name;
        }
    }
    return {};
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
    std::string device;
    if (!m_deviceName.empty() && !m_silentFallback) {
        device = sdlNameOf(describe(m_server, m_deviceName));
        if (device.empty()) fallBackToDefault("SDL does not list it");
    }
    if (Mix_OpenAudioDevice(m_frequency, AUDIO_F32SYS, m_outputChannels, kPeriodFrames,
                            device.empty() ? nullptr : device.c_str(), allowedChanges) != 0) {
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
    if (!reason.empty()) Log("Audio: no output device (" + reason + "); playing silently");
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    m_driverOverridden = true;
    std::string error;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        m_unavailable = true;
        return;
    }
    const int allowedChanges =
        m_open ? 0 : SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE;
    m_silentFallback = true;
    if (!openMixer(allowedChanges, error)) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_open = false;
        m_silentFallback = false;
        m_unavailable = true;
    }
}

void AudioDevice::reopen(const std::optional<SoundServerState>& server) {
    if (!m_suspended) closeMixer();
    stopSubsystem();
    m_silentFallback = false;
    m_suspended = false;
    if (m_followsServer && !server) {
        m_server = server;
        // Said once by the caller, which knows why.
        openSilently({});
        return;
    }
    // Described as the server described it before it changed.
    if (!m_deviceName.empty() && !(server && server->hasSink(m_deviceName))) {
        fallBackToDefault("the sound server does not list it");
    }
    m_server = server;
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

void AudioDevice::reopenWhereTheServerIs() {
    if (!m_followsServer) {
        reopen(std::nullopt);
        return;
    }
    const std::optional<SoundServerState> server = querySoundServer();
    if (!server) Log("Audio: the sound server went away; playing silently until it is back");
    reopen(server);
}

void AudioDevice::moveToDevice(const std::optional<SoundServerState>& server) {
    if (!m_suspended) closeMixer();
    m_suspended = false;
    if (!m_deviceName.empty() && !(server && server->hasSink(m_deviceName))) {
        fallBackToDefault("the sound server does not list it");
    }
    m_server = server;
    // A device the server has only just added may not be on SDL's list yet
    // (SDL learns of it on a thread of its own): a new start lists it.
    const bool listed = m_deviceName.empty() || !sdlNameOf(describe(server, m_deviceName)).empty();
    std::string error;
    if (listed && openMixer(0, error)) return;
    m_suspended = true;
    reopen(server);
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
    reopenWhereTheServerIs();
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
        " channels, 32-bit float, " + std::to_string(kPeriodFrames) + "-frame periods (" +
        milliseconds + " ms) over a " + std::to_string(kServerBufferMilliseconds) +
        " ms server buffer");
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
    if (server) m_server = server;
    m_deviceName = name;
    if (!name.empty() && !(server && server->hasSink(name))) {
        fallBackToDefault(server ? "the sound server does not list it" : "no sound server");
        return false;
    }
    if (m_followsServer && server && !m_silentFallback) {
        moveToDevice(server);
    } else {
        reopen(m_followsServer ? server : std::nullopt);
    }
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
    // The watch's news may be older than the user's latest choice: a sink
    // missing from it is asked about once more before it counts as gone.
    const bool chosenGone = !m_deviceName.empty() && !state->hasSink(m_deviceName) &&
                            !querySoundServer().value_or(*state).hasSink(m_deviceName);
    if (!chosenGone) {
        m_server = state;
        return false;
    }
    fallBackToDefault("it is gone from the sound server");
    // SDL's stream ended with the sink. SDL's own list may still hold the
    // sink or not yet know the new default: a new start of the subsystem
    // asks the server afresh, and a new stream on the default takes the next
    // play.
    reopen(state);
    return true;
}

bool AudioDevice::outputLost() {
    if (!m_open || m_silentFallback) return false;
    // SDL's stream died (the server ended, or its device went): open again
    // wherever the server is now.
    reopenWhereTheServerIs();
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
