#include "SystemSoundService.h"

#include "Platform/Foundation/RunLoop.h"
#include "SoundDecoder.h"

#include <SDL_mixer.h>

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
    // Decoding converts to the output's format, so the output opens first.
    if (!m_device.open()) return kAudioServicesSystemSoundUnspecifiedError;
    MixChunkPtr chunk = decodeSoundFile(*path);
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
    Mix_Chunk* chunk = m_sounds.find(soundID);
    // A registered sound means the output is open; open() then only confirms it.
    if (chunk == nullptr || !m_device.open()) return;
    const SystemSoundPlayOptions played{ChannelMixer::clampedGain(options.gainDecibels),
                                        options.loops};
    if (!m_mixer.play(chunk, soundID, played.gainDecibels, played.loops)) return;
    ++s_plays;
    m_playbackTimes.started(soundID, RunLoop::main().now(), chunkSeconds(*chunk), played.loops);
    m_playOptions.insert_or_assign(soundID, played);
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
    m_mixer.stop(chunk.get());
    m_playbackTimes.forget(soundID);
    m_playOptions.erase(soundID);
    return kAudioServicesNoError;  // the chunk is freed here, after its channels stopped
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
    return m_device.isOpen() ? m_mixer.playingCount() : 0;
}

std::size_t SystemSoundService::playingSoundCount(SystemSoundID soundID) {
    std::lock_guard lock(m_mutex);
    const Mix_Chunk* chunk = m_sounds.find(soundID);
    return chunk != nullptr && m_device.isOpen() ? m_mixer.playingCount(chunk) : 0;
}

void SystemSoundService::stopAll() {
    std::lock_guard lock(m_mutex);
    if (m_device.isOpen()) Mix_HaltChannel(-1);
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

std::vector<std::string> SystemSoundService::outputDevices() {
    std::lock_guard lock(m_mutex);
    const bool wasOpen = m_device.isOpen();
    const std::string before = m_device.outputDevice();
    auto names = m_device.outputDevices();
    if (wasOpen && m_device.outputDevice() != before) m_mixer.reset();
    return names;
}

std::string SystemSoundService::outputDevice() {
    std::lock_guard lock(m_mutex);
    return m_device.outputDevice();
}

bool SystemSoundService::setOutputDevice(const std::string& name) {
    std::lock_guard lock(m_mutex);
    const bool wasOpen = m_device.isOpen();
    const bool chosen = m_device.setOutputDevice(name);
    // A reopened output starts with idle channels and no first mixes awaited.
    if (wasOpen) m_mixer.reset();
    return chosen;
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
    closeLocked();
    m_vibrationHandler = nullptr;
    m_device.setOutputDevice({});
    m_device.setVolume(100);
    m_device.setMuted(false);
}

void SystemSoundService::closeLocked() {
    for (MixChunkPtr& chunk : m_sounds.removeAll()) m_mixer.stop(chunk.get());
    // The chunks were freed at the end of that statement, while the mixer still
    // ran; closing now joins the audio thread.
    m_device.close();
    m_mixer.reset();
    m_playbackTimes.clear();
    m_playOptions.clear();
}

double SystemSoundService::chunkSeconds(const Mix_Chunk& chunk) const {
    // Chunks hold the output's samples: 16-bit, interleaved over its channels.
    const double bytesPerSecond =
        static_cast<double>(m_device.frequency()) * m_device.outputChannels() * 2.0;
    return bytesPerSecond > 0 ? chunk.alen / bytesPerSecond : 0.0;
}

std::optional<double> SystemSoundService::playbackProgress(SystemSoundID soundID) {
    std::lock_guard lock(m_mutex);
    const Mix_Chunk* chunk = m_sounds.find(soundID);
    // A play that was stopped (disposed, taken over, halted) shows no progress.
    if (chunk == nullptr || !m_device.isOpen() || m_mixer.playingCount(chunk) == 0) {
        return std::nullopt;
    }
    return m_playbackTimes.progress(soundID, RunLoop::main().now());
}

}  // namespace platform
