#pragma once

#include <string>

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

  private:
    // One attempt with whatever driver SDL picks now. On failure leaves the
    // subsystem as it was and puts SDL's reason in `error`.
    bool tryOpen(std::string& error);

    bool m_open = false;
    bool m_unavailable = false;
    bool m_silentFallback = false;
    bool m_driverOverridden = false;
    int m_frequency = 0;
    int m_outputChannels = 0;
};

}  // namespace platform
