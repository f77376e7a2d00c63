#pragma once

#include <string>
#include <vector>

namespace platform {

// The SDL audio subsystem and the SDL_mixer output, opened on first use.
//
// When no output device can be opened (no sound card, no sound server), the
// device falls back to SDL's dummy driver, which runs the mixer on its own
// thread at the real pace but sends the samples nowhere: everything works,
// only silently. That fallback is logged once per opening.
//
// Not thread-safe by itself: its owner serialises open() and close(). The
// mixer's own audio thread runs between a successful open() and close().
class AudioDevice {
  public:
    static constexpr int kFrequency = 44100;
    static constexpr int kOutputChannels = 2;
    // Frames per mixer period: 256 frames at 44.1 kHz is about 5.8 ms, which
    // bounds how long a tap waits before its sound starts.
    static constexpr int kPeriodFrames = 256;
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

    bool isOpen() const { return m_open; }
    // True when the output runs on the dummy driver because no device opened.
    bool isSilentFallback() const { return m_silentFallback; }
    // The format the output really runs at; 0 while closed.
    int frequency() const { return m_frequency; }
    int outputChannels() const { return m_outputChannels; }
    int periodFrames() const { return m_open ? kPeriodFrames : 0; }

    // The playback devices the system reports now, by name (the subsystem
    // starts for the question when it is not running).
    std::vector<std::string> outputDevices();
    // The device the output plays on, or will open on; empty: the system default.
    const std::string& outputDevice() const { return m_deviceName; }
    // Plays on `name` from now on (empty: the system default). While open, the
    // mixer is reopened there at the same sample format, so sounds decoded for
    // it stay valid; what was playing stops. A device that cannot be opened
    // (gone, or never there) leaves the output on the system default, with one
    // log line; the answer is then false.
    bool setOutputDevice(const std::string& name);

    // The level of every play, now and later: 0..100 (clamped), and a mute
    // that keeps the level. Both hold across reopening.
    void setVolume(int percent);
    int volume() const { return m_volumePercent; }
    void setMuted(bool muted);
    bool isMuted() const { return m_muted; }

  private:
    // One attempt with whatever driver SDL picks now, on the chosen device
    // (else the default one). On failure leaves the subsystem as it was and
    // puts SDL's reason in `error`.
    bool tryOpen(std::string& error);
    // Opens the mixer on `device` (null: the default); false with SDL's reason.
    bool openMixer(const char* device, int allowedChanges, std::string& error);
    // Forgets a chosen device that would not open, saying so once.
    void fallBackToDefault(const std::string& error);
    void closeMixer();
    // After closeMixer: the default device at the same format, else the silent
    // output; false when it is not the default device that opened.
    bool reopenMixerOnDefault();
    void reopenOnDefault();
    void applyVolume() const;

    bool m_open = false;
    bool m_unavailable = false;
    bool m_silentFallback = false;
    bool m_driverOverridden = false;
    int m_frequency = 0;
    int m_outputChannels = 0;
    std::string m_deviceName;
    int m_volumePercent = 100;
    bool m_muted = false;
};

}  // namespace platform
