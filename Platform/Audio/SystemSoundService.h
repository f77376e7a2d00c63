#pragma once

#include "AudioDevice.h"
#include "ChannelMixer.h"
#include "Platform/Audio/AudioDiagnostics.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Audio/VoiceChatControls.h"
#include "Platform/Foundation/Timer.h"
#include "Platform/Foundation/URL.h"
#include "PlaybackTimes.h"
#include "SampleRing.h"
#include "SoundRegistry.h"
#include "SoundServerState.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class ServerWatch;
class VoiceChat;

// The process-wide state behind the system sound functions: the output, the
// registered sounds, the channel choice and the vibration hook.
//
// Locking: one mutex serialises every call from the application's threads.
// SDL_mixer locks its own state against the audio thread inside each Mix_*
// call; the audio thread never takes this mutex, so holding it across Mix_*
// calls cannot deadlock. Callbacks into user code (the vibration handler) run
// with no lock held, so they may call back in.
//
// Idle: a few seconds (kIdleSeconds) after the last play has ended, the
// output's stream is closed, so the program's audio thread sleeps and the
// server may suspend its sink; the next play opens it again. Registering a
// sound leaves it closed too. The check is a timer on the main run loop,
// scheduled by plays only.
//
// Lifetime: created on first use and destroyed at process exit, which frees
// every sound and closes the output. Calls that arrive during or after that
// teardown (from other objects being destroyed at exit) find no service and do
// nothing.
class SystemSoundService {
  public:
    static constexpr double kIdleSeconds = 3.0;

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
    std::vector<OutputDeviceInfo> outputDevices();
    std::string outputDevice();
    bool setOutputDevice(const std::string& name);

    // From the main run loop: what the server watch saw, and SDL's report of
    // a lost stream.
    void serverChanged(const std::optional<SoundServerState>& state);
    void outputLost();
    // Whether the output's stream is open now (false while idle or closed).
    bool isStreaming();

    // Play into Voice Chat (see VoiceChatControls.h).
    void setVoiceChat(bool on);
    bool isVoiceChatOn();
    VoiceChatStatus voiceChatStatus();
    void setVoiceChatMicrophone(const MicrophoneChoice& choice);
    MicrophoneChoice voiceChatMicrophone();
    void setHearSoundsMyself(bool on);
    bool hearsSoundsMyself();

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
    // Opens the output for a play, and starts or stops following the server
    // as the driver needs. Caller holds m_mutex.
    bool openOutput();
    void followServer();
    // After the output was opened anew: channels idle, fades at its rate.
    void outputReopened();
    // The idle check: runs `seconds` from now at the latest play's end.
    void scheduleIdleCheck(double seconds);
    void idleCheck();
    // Frees disposed chunks whose fade has ended. Caller holds m_mutex.
    void freeRetired();

    static inline std::atomic<std::uint64_t> s_vibrations{0};
    static inline std::atomic<std::uint64_t> s_plays{0};

    // Silent speakers while the voice chat is on and the user asked not to
    // hear the sounds. Caller holds m_mutex.
    void applySpeakers();

    std::mutex m_mutex;
    // The finished mix on its way to the voice chat: 8192 frames (186 ms)
    // of room. Declared before the device, so it outlives the mixer's thread.
    SampleRing m_voiceRing{8192 * 2};
    AudioDevice m_device;
    std::unique_ptr<VoiceChat> m_voiceChat;
    MicrophoneChoice m_voiceMicrophone = std::string();
    bool m_hearMyself = true;
    ChannelMixer m_mixer;
    SoundRegistry m_sounds;
    std::function<void()> m_vibrationHandler;
    PlaybackTimes m_playbackTimes;
    // Disposed while still fading out; freed once no channel mixes them.
    std::vector<MixChunkPtr> m_retired;
    std::unique_ptr<ServerWatch> m_watch;
    std::shared_ptr<Timer> m_idleTimer;  // touched on the main loop's thread only
    double m_idleAt = 0;
    // The options of each sound's newest play.
    std::map<SystemSoundID, SystemSoundPlayOptions> m_playOptions;
};

}  // namespace platform
