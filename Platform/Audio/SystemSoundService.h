#pragma once

#include "AudioDevice.h"
#include "ChannelMixer.h"
#include "Platform/Audio/AudioDiagnostics.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/URL.h"
#include "PlaybackTimes.h"
#include "SoundRegistry.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The process-wide state behind the system sound functions: the output, the
// registered sounds, the channel choice and the vibration hook.
//
// Locking: one mutex serialises every call from the application's threads.
// SDL_mixer locks its own state against the audio thread inside each Mix_*
// call; the audio thread never takes this mutex, so holding it across Mix_*
// calls cannot deadlock. Callbacks into user code (the vibration handler) run
// with no lock held, so they may call back in.
//
// Lifetime: created on first use and destroyed at process exit, which frees
// every sound and closes the output. Calls that arrive during or after that
// teardown (from other objects being destroyed at exit) find no service and do
// nothing.
class SystemSoundService {
  public:
    // Null once the service has been destroyed at exit.
    static SystemSoundService* shared();

    ~SystemSoundService();
    SystemSoundService(const SystemSoundService&) = delete;
    SystemSoundService& operator=(const SystemSoundService&) = delete;

    OSStatus createSystemSoundID(const URL& fileURL, SystemSoundID* outSoundID);
    void play(SystemSoundID soundID, const SystemSoundPlayOptions& options = {});
    void stop(SystemSoundID soundID);
    std::optional<double> duration(SystemSoundID soundID);
    std::optional<SystemSoundPlayOptions> playbackOptions(SystemSoundID soundID);
    OSStatus dispose(SystemSoundID soundID);

    void setVibrationHandler(std::function<void()> handler);
    std::size_t playingSoundCount();
    std::size_t playingSoundCount(SystemSoundID soundID);

    void stopAll();
    int volume();
    void setVolume(int percent);
    bool isMuted();
    void setMuted(bool muted);
    std::vector<std::string> outputDevices();
    std::string outputDevice();
    bool setOutputDevice(const std::string& name);

    void setFirstMixObserver(ChannelMixer::FirstMixObserver observer);
    std::optional<audio_diagnostics::OutputFormat> outputFormat();
    void reset();

    // Process-wide counts; they outlive the service.
    static std::uint64_t vibrationCount() { return s_vibrations.load(); }
    static std::uint64_t playCount() { return s_plays.load(); }
    // For calls that find no service (exit teardown): vibration still counts.
    static void countVibration() { ++s_vibrations; }

    // How far the newest play of `soundID` is, on the run loop's clock; none
    // when it does not sound.
    std::optional<double> playbackProgress(SystemSoundID soundID);

  private:
    SystemSoundService() = default;
    void vibrate();
    // Stops every sound, frees them and closes the output. Caller holds m_mutex.
    void closeLocked();
    // How long `chunk` plays at the output's rate. Caller holds m_mutex.
    double chunkSeconds(const Mix_Chunk& chunk) const;

    static inline std::atomic<std::uint64_t> s_vibrations{0};
    static inline std::atomic<std::uint64_t> s_plays{0};

    std::mutex m_mutex;
    AudioDevice m_device;
    ChannelMixer m_mixer;
    SoundRegistry m_sounds;
    std::function<void()> m_vibrationHandler;
    PlaybackTimes m_playbackTimes;
    // The options of each sound's newest play.
    std::map<SystemSoundID, SystemSoundPlayOptions> m_playOptions;
};

}  // namespace platform
