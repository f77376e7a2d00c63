#include "SystemSoundService.h"

#include "Platform/Foundation/RunLoop.h"
#include "ServerWatch.h"
#include "SoundDecoder.h"
#include "VoiceChat.h"

#include <SDL_mixer.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace platform {
namespace {

// Set when the service is destroyed at exit. A plain atomic flag with static
// storage stays readable after that, unlike the service itself.
constinit std::atomic<bool> g_serviceDestroyed{false};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The local path a sound URL names: a "file" URL's path, or the path of a URL
// without a scheme. None for other schemes and for paths that cannot name a
// file (empty, or with a NUL that would cut the name short).
std::optional<std::string> localPathOf(const URL& url) {
    if (url.scheme() && !equalsIgnoringCase(*url.scheme(), "file")) return std::nullopt;
    std::string path = url.path();
    if (path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
    return path;
}

}  // namespace

SystemSoundService* SystemSoundService::shared() {
    if (g_serviceDestroyed.load()) return nullptr;
    static SystemSoundService service;
    return &service;
}

SystemSoundService::~SystemSoundService() {
    {
        std::lock_guard lock(m_mutex);
        closeLocked();
    }
    g_serviceDestroyed.store(true);
}

OSStatus SystemSoundService::createSystemSoundID(const URL& fileURL, SystemSoundID* outSoundID) {
    if (outSoundID == nullptr) return kAudioServicesBadPropertySizeError;
    const std::optional<std::string> path = localPathOf(fileURL);
    if (!path) return kAudioServicesSystemSoundUnspecifiedError;

    std::lock_guard lock(m_mutex);
    // Decoding converts to the output's format, so the output opens first;
    // when nothing plays it closes its stream again at once, and only a play
    // keeps it open (with an idle check to close it later).
    const bool wasStreaming = m_device.isOpen() && !m_device.isSuspended();
    if (!openOutput()) return kAudioServicesSystemSoundUnspecifiedError;
    MixChunkPtr chunk = decodeSoundFile(*path);
    if (!wasStreaming && m_mixer.playingCount() == 0 && m_retired.empty()) m_device.suspend();
    if (!chunk) return kAudioServicesSystemSoundUnspecifiedError;
    *outSoundID = m_sounds.add(std::move(chunk));
    return kAudioServicesNoError;
}

void SystemSoundService::play(SystemSoundID soundID, const SystemSoundPlayOptions& options) {
    if (soundID == kSystemSoundID_Vibrate) {
        vibrate();
        return;
    }
    std::lock_guard lock(m_mutex);
    freeRetired();
    Mix_Chunk* chunk = m_sounds.find(soundID);
    // A registered sound means the output is open; it may have closed its
    // stream while idle, which opening resumes.
    if (chunk == nullptr || !openOutput()) return;
    const SystemSoundPlayOptions played{ChannelMixer::clampedGain(options.gainDecibels),
                                        options.loops};
    if (!m_mixer.play(chunk, soundID, played.gainDecibels, played.loops)) return;
    ++s_plays;
    const double seconds = chunkSeconds(*chunk);
    m_playbackTimes.started(soundID, RunLoop::main().now(), seconds, played.loops);
    m_playOptions.insert_or_assign(soundID, played);
    // A loop keeps the output awake: the idle check finds it still playing.
    scheduleIdleCheck(seconds);
}

bool SystemSoundService::openOutput() {
    const std::uint64_t openings = m_device.openings();
    const bool opened = m_device.open();
    if (m_device.openings() != openings) outputReopened();
    if (opened) followServer();
    return opened;
}

void SystemSoundService::followServer() {
    if (!m_device.followsServer() || m_watch) return;
    // The watch's thread only hands what it saw to the main loop, where the
    // output's calls are serialised; the service outlives the loop's events
    // (it is found again through shared(), which is null after exit).
    m_watch = std::make_unique<ServerWatch>([](const std::optional<SoundServerState>& state) {
        RunLoop::main().post([state] {
            if (SystemSoundService* service = shared()) service->serverChanged(state);
        });
    });
}

void SystemSoundService::outputReopened() {
    m_mixer.reset(m_device.frequency(), m_device.outputChannels());
}

void SystemSoundService::serverChanged(const std::optional<SoundServerState>& state) {
    std::lock_guard lock(m_mutex);
    const std::uint64_t openings = m_device.openings();
    m_device.serverChanged(state);
    if (m_device.openings() == openings) return;
    outputReopened();
    // A stream reopened for a new server stays open only while something plays.
    m_device.suspend();
}

void SystemSoundService::outputLost() {
    std::lock_guard lock(m_mutex);
    const std::uint64_t openings = m_device.openings();
    m_device.outputLost();
    if (m_device.openings() == openings) return;
    outputReopened();
    m_device.suspend();
}

bool SystemSoundService::isStreaming() {
    std::lock_guard lock(m_mutex);
    return m_device.isOpen() && !m_device.isSuspended();
}

void SystemSoundService::scheduleIdleCheck(double seconds) {
    const double now = RunLoop::main().now();
    m_idleAt = std::max(m_idleAt, now + std::max(0.0, seconds) + kIdleSeconds);
    if (m_idleTimer && m_idleTimer->isValid()) return;
    m_idleTimer = RunLoop::main().scheduleTimer(m_idleAt - now, [] {
        if (SystemSoundService* service = shared()) service->idleCheck();
    });
}

void SystemSoundService::idleCheck() {
    std::lock_guard lock(m_mutex);
    m_idleTimer.reset();
    if (!m_device.isOpen() || m_device.isSuspended()) return;
    const double now = RunLoop::main().now();
    freeRetired();
    if (now < m_idleAt || m_mixer.playingCount() > 0 || !m_retired.empty()) {
        // A later play, or a sound longer than its file said: look again.
        scheduleIdleCheck(std::max(0.0, m_idleAt - now - kIdleSeconds));
        return;
    }
    m_device.suspend();
}

void SystemSoundService::freeRetired() {
    std::erase_if(m_retired, [this](const MixChunkPtr& chunk) {
        return !m_device.isOpen() || m_device.isSuspended() || !m_mixer.mixes(chunk.get());
    });
}

void SystemSoundService::stop(SystemSoundID soundID) {
    std::lock_guard lock(m_mutex);
    const Mix_Chunk* chunk = m_sounds.find(soundID);
    if (chunk != nullptr && m_device.isOpen()) m_mixer.stop(chunk);
}

std::optional<double> SystemSoundService::duration(SystemSoundID soundID) {
    std::lock_guard lock(m_mutex);
    const Mix_Chunk* chunk = m_sounds.find(soundID);
    if (chunk == nullptr || !m_device.isOpen()) return std::nullopt;
    return chunkSeconds(*chunk);
}

std::optional<SystemSoundPlayOptions> SystemSoundService::playbackOptions(SystemSoundID soundID) {
    std::lock_guard lock(m_mutex);
    const Mix_Chunk* chunk = m_sounds.find(soundID);
    const auto found = m_playOptions.find(soundID);
    if (chunk == nullptr || found == m_playOptions.end() || !m_device.isOpen() ||
        m_mixer.playingCount(chunk) == 0) {
        return std::nullopt;
    }
    return found->second;
}

OSStatus SystemSoundService::dispose(SystemSoundID soundID) {
    std::lock_guard lock(m_mutex);
    MixChunkPtr chunk = m_sounds.remove(soundID);
    if (!chunk) return kAudioServicesBadSpecifierSizeError;
    m_playbackTimes.forget(soundID);
    m_playOptions.erase(soundID);
    freeRetired();
    if (!m_device.isOpen() || m_device.isSuspended()) return kAudioServicesNoError;
    m_mixer.stop(chunk.get());
    // Freeing halts its channels at once: a chunk still fading is kept until
    // the fade has played out.
    if (m_mixer.mixes(chunk.get())) m_retired.push_back(std::move(chunk));
    return kAudioServicesNoError;
}

void SystemSoundService::vibrate() {
    std::function<void()> handler;
    {
        std::lock_guard lock(m_mutex);
        handler = m_vibrationHandler;
    }
    ++s_vibrations;
    if (handler) handler();
}

void SystemSoundService::setVibrationHandler(std::function<void()> handler) {
    std::lock_guard lock(m_mutex);
    m_vibrationHandler = std::move(handler);
}

std::size_t SystemSoundService::playingSoundCount() {
    std::lock_guard lock(m_mutex);
    return m_device.isOpen() && !m_device.isSuspended() ? m_mixer.playingCount() : 0;
}

std::size_t SystemSoundService::playingSoundCount(SystemSoundID soundID) {
    std::lock_guard lock(m_mutex);
    const Mix_Chunk* chunk = m_sounds.find(soundID);
    return chunk != nullptr && m_device.isOpen() && !m_device.isSuspended()
               ? m_mixer.playingCount(chunk)
               : 0;
}

void SystemSoundService::stopAll() {
    std::lock_guard lock(m_mutex);
    if (m_device.isOpen() && !m_device.isSuspended()) m_mixer.stop(nullptr);
}

int SystemSoundService::volume() {
    std::lock_guard lock(m_mutex);
    return m_device.volume();
}

void SystemSoundService::setVolume(int percent) {
    std::lock_guard lock(m_mutex);
    m_device.setVolume(percent);
}

bool SystemSoundService::isMuted() {
    std::lock_guard lock(m_mutex);
    return m_device.isMuted();
}

void SystemSoundService::setMuted(bool muted) {
    std::lock_guard lock(m_mutex);
    m_device.setMuted(muted);
}

std::vector<OutputDeviceInfo> SystemSoundService::outputDevices() {
    std::lock_guard lock(m_mutex);
    const std::uint64_t openings = m_device.openings();
    auto devices = m_device.outputDevices();
    if (m_device.openings() != openings) {
        outputReopened();
        m_device.suspend();
    }
    return devices;
}

std::string SystemSoundService::outputDevice() {
    std::lock_guard lock(m_mutex);
    return m_device.outputDevice();
}

bool SystemSoundService::setOutputDevice(const std::string& name) {
    std::lock_guard lock(m_mutex);
    const std::uint64_t openings = m_device.openings();
    const bool chosen = m_device.setOutputDevice(name);
    // A reopened output starts with idle channels and no first mixes awaited,
    // and keeps its stream open only while something plays.
    if (m_device.openings() != openings) {
        outputReopened();
        m_retired.clear();
        m_device.suspend();
    }
    return chosen;
}

void SystemSoundService::setVoiceChat(bool on) {
    std::lock_guard lock(m_mutex);
    if (on == (m_voiceChat != nullptr)) return;
    if (on) {
        // Nothing of an earlier session is heard late: the ring starts empty
        // (its reader is gone, so emptying it here is safe).
        m_voiceRing.discard(m_voiceRing.capacity());
        m_voiceChat = std::make_unique<VoiceChat>(m_voiceRing, AudioDevice::kFrequency,
                                                  AudioDevice::kOutputChannels, m_voiceMicrophone);
        m_device.bus().setTap(&m_voiceRing, AudioDevice::kFrequency, AudioDevice::kOutputChannels);
    } else {
        m_device.bus().setTap(nullptr, 0, 0);
        m_voiceChat.reset();
    }
    applySpeakers();
}

bool SystemSoundService::isVoiceChatOn() {
    std::lock_guard lock(m_mutex);
    return m_voiceChat != nullptr;
}

VoiceChatStatus SystemSoundService::voiceChatStatus() {
    std::lock_guard lock(m_mutex);
    return m_voiceChat ? m_voiceChat->status() : VoiceChatStatus{};
}

void SystemSoundService::setVoiceChatMicrophone(const MicrophoneChoice& choice) {
    std::lock_guard lock(m_mutex);
    m_voiceMicrophone = choice;
    if (m_voiceChat) m_voiceChat->setMicrophone(choice);
}

MicrophoneChoice SystemSoundService::voiceChatMicrophone() {
    std::lock_guard lock(m_mutex);
    return m_voiceMicrophone;
}

void SystemSoundService::setHearSoundsMyself(bool on) {
    std::lock_guard lock(m_mutex);
    m_hearMyself = on;
    applySpeakers();
}

bool SystemSoundService::hearsSoundsMyself() {
    std::lock_guard lock(m_mutex);
    return m_hearMyself;
}

void SystemSoundService::applySpeakers() {
    m_device.bus().setSpeakersSilent(m_voiceChat != nullptr && !m_hearMyself);
}

void SystemSoundService::setFirstMixObserver(ChannelMixer::FirstMixObserver observer) {
    // Not under m_mutex: the observer has its own lock, shared with the audio thread.
    m_mixer.setFirstMixObserver(std::move(observer));
}

std::optional<audio_diagnostics::OutputFormat> SystemSoundService::outputFormat() {
    std::lock_guard lock(m_mutex);
    if (!m_device.isOpen()) return std::nullopt;
    return audio_diagnostics::OutputFormat{m_device.frequency(), m_device.outputChannels(),
                                           m_device.periodFrames(), m_device.isSilentFallback()};
}

void SystemSoundService::reset() {
    m_mixer.setFirstMixObserver({});
    std::lock_guard lock(m_mutex);
    if (m_idleTimer) m_idleTimer->invalidate();
    m_idleTimer.reset();
    m_idleAt = 0;
    closeLocked();
    m_vibrationHandler = nullptr;
    m_device.setOutputDevice({});
    m_voiceMicrophone = std::string();
    m_hearMyself = true;
    applySpeakers();
    m_device.setVolume(100);
    m_device.setMuted(false);
}

void SystemSoundService::closeLocked() {
    // The watch's thread ends first: nothing it saw is posted after this.
    m_watch.reset();
    // What the voice chat made on the server goes with the process.
    m_device.bus().setTap(nullptr, 0, 0);
    m_voiceChat.reset();
    // Freeing halts each chunk's channels under the mixer's lock; closing
    // then joins the audio thread.
    m_sounds.removeAll();
    m_retired.clear();
    m_device.close();
    m_mixer.reset();
    m_playbackTimes.clear();
    m_playOptions.clear();
}

double SystemSoundService::chunkSeconds(const Mix_Chunk& chunk) const {
    // Chunks hold the output's samples: 32-bit floats, interleaved over its channels.
    const double bytesPerSecond = static_cast<double>(m_device.frequency()) *
                                  m_device.outputChannels() * static_cast<double>(sizeof(float));
    return bytesPerSecond > 0 ? chunk.alen / bytesPerSecond : 0.0;
}

std::optional<double> SystemSoundService::playbackProgress(SystemSoundID soundID) {
    std::lock_guard lock(m_mutex);
    const Mix_Chunk* chunk = m_sounds.find(soundID);
    // A play that was stopped (disposed, taken over, halted) shows no progress.
    if (chunk == nullptr || !m_device.isOpen() || m_device.isSuspended() ||
        m_mixer.playingCount(chunk) == 0) {
        return std::nullopt;
    }
    return m_playbackTimes.progress(soundID, RunLoop::main().now());
}

}  // namespace platform
