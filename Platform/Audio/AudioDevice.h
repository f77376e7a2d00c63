#pragma once

#include "MasterBus.h"
#include "Platform/Audio/SystemSounds.h"
#include "SoundServerState.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The SDL audio subsystem and the SDL_mixer output, opened on first use.
//
// Which driver SDL uses is decided here, from the user's sound server:
// PipeWire's own driver when the server is PipeWire, the PulseAudio driver for
// PulseAudio, and, with no server at all, SDL's dummy driver, which runs the
// mixer at the real pace but sends the samples nowhere (everything works, only
// silently; one log line). SDL is never left to try the drivers in turn, which
// would have ALSA print its errors. $SDL_AUDIODRIVER, when set, is obeyed as
// it is.
//
// The mix runs in 32-bit float so that sums above full scale survive until the
// master bus limits them (see MasterBus); SDL converts to what the server takes.
//
// Not thread-safe by itself: its owner serialises every call. The mixer's own
// audio thread runs while the output is open and not suspended.
class AudioDevice {
  public:
    static constexpr int kFrequency = 44100;
    static constexpr int kOutputChannels = 2;
    // Frames per mixer period: a tap waits at most this long (2.9 ms) for
    // the mix that holds its sound.
    static constexpr int kPeriodFrames = 128;
    // What the server keeps queued ahead of the sink: room for a wake-up of
    // the audio thread some 7 ms late without a gap, and a tap still reaches
    // the speakers within 15 ms.
    static constexpr int kServerBufferMilliseconds = 10;
    // Sounds that can play at once; a further play takes over the oldest one.
    static constexpr int kMixerChannels = 32;

    AudioDevice() = default;
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    // Opens the output unless it is open. False only when not even the dummy
    // driver could start; the device then stays closed, and does not try again,
    // until close().
    bool open();
    // Stops the mixer's thread and releases the subsystem. Safe when closed.
    void close();

    // Lets the server have its device back while nothing plays: the stream is
    // closed, the subsystem and the format stay, and resume() opens the stream
    // again in a few milliseconds. Both are no-ops when closed.
    void suspend();
    bool resume();
    bool isSuspended() const { return m_suspended; }

    bool isOpen() const { return m_open; }
    // Counts the openings of the mixer: a change means its channels, effects
    // and post-mix hook were set up afresh.
    std::uint64_t openings() const { return m_openings; }
    // True when the output runs on the dummy driver because no device opened.
    bool isSilentFallback() const { return m_silentFallback; }
    // True when the driver follows a sound server (so a server watch matters).
    bool followsServer() const { return m_followsServer; }
    // The format the output really runs at; 0 while closed.
    int frequency() const { return m_frequency; }
    int outputChannels() const { return m_outputChannels; }
    int periodFrames() const { return m_open ? kPeriodFrames : 0; }

    // The playback devices the server reports now (none without one).
    std::vector<OutputDeviceInfo> outputDevices();
    // The server's name of the device the output plays on, or will open on;
    // empty: the system default.
    const std::string& outputDevice() const { return m_deviceName; }
    // Plays on `name` from now on (empty: the system default). While open, the
    // output is reopened there at the same sample format, so sounds decoded
    // for it stay valid; what was playing stops. A device the server does not
    // list leaves the output on the system default, with one log line; the
    // answer is then false.
    bool setOutputDevice(const std::string& name);

    // What the server watch saw: a chosen device that is gone falls back to
    // the default (one line); a server that went away leaves the output
    // silent, and one that is there again (or for the first time) is used.
    // False when nothing about the output changed.
    bool serverChanged(const std::optional<SoundServerState>& state);

    // SDL reported the output's stream lost: opens again wherever the server
    // is now (silently when it is gone). False when nothing was open.
    bool outputLost();

    // The level of every play, now and later: 0..100 (clamped), and a mute
    // that keeps the level. Both hold across reopening.
    void setVolume(int percent);
    int volume() const { return m_volumePercent; }

    // The post-mix stage, for a tap of the finished mix and for silencing the
    // speakers; its settings hold across reopening.
    MasterBus& bus() { return m_bus; }
    void setMuted(bool muted);
    bool isMuted() const { return m_muted; }

  private:
    // Picks SDL's driver for `server` (none: the dummy) and starts the
    // subsystem with it; false with SDL's reason.
    bool startSubsystem(const std::optional<SoundServerState>& server, std::string& error);
    void stopSubsystem();
    // Opens the mixer on the default device of the running subsystem (the
    // chosen sink was handed to the server's client library before it started).
    bool openMixer(int allowedChanges, std::string& error);
    void closeMixer();
    // Closes everything and opens again for `server`, at the format already
    // in use: the decoded sounds stay valid.
    void reopen(const std::optional<SoundServerState>& server);
    // The dummy driver, with one line giving `reason` (none when empty).
    void openSilently(const std::string& reason);
    void reopenWhereTheServerIs();
    // Opens the mixer again on the chosen device (else the default) of the
    // subsystem that runs, which lists the server's devices as they come and
    // go: a few milliseconds, where a new start of the subsystem takes tens.
    void moveToDevice(const std::optional<SoundServerState>& server);
    void fallBackToDefault(const std::string& reason);
    void logFormat(const std::optional<SoundServerState>& server) const;
    void applyVolume() const;

    std::uint64_t m_openings = 0;
    bool m_open = false;
    bool m_suspended = false;
    bool m_unavailable = false;
    bool m_silentFallback = false;
    bool m_followsServer = false;
    bool m_driverOverridden = false;
    int m_frequency = 0;
    int m_outputChannels = 0;
    std::string m_deviceName;
    std::optional<SoundServerState> m_server;
    MasterBus m_bus;
    int m_volumePercent = 100;
    bool m_muted = false;
};

}  // namespace platform
