#include "Platform/Audio/SystemSounds.h"

#include "Platform/Audio/AudioDiagnostics.h"
#include "SystemSoundService.h"

namespace platform {

OSStatus AudioServicesCreateSystemSoundID(const URL& fileURL, SystemSoundID* outSoundID) {
    SystemSoundService* service = SystemSoundService::shared();
    return service != nullptr ? service->createSystemSoundID(fileURL, outSoundID)
                              : kAudioServicesSystemSoundUnspecifiedError;
}

void AudioServicesPlaySystemSound(SystemSoundID soundID) {
    if (SystemSoundService* service = SystemSoundService::shared()) {
        service->play(soundID);
    } else if (soundID == kSystemSoundID_Vibrate) {
        SystemSoundService::countVibration();
    }
}

void AudioServicesPlaySystemSoundWithOptions(SystemSoundID soundID,
                                             const SystemSoundPlayOptions& options) {
    if (SystemSoundService* service = SystemSoundService::shared()) {
        service->play(soundID, options);
    } else if (soundID == kSystemSoundID_Vibrate) {
        SystemSoundService::countVibration();
    }
}

void stopSystemSound(SystemSoundID soundID) {
    if (SystemSoundService* service = SystemSoundService::shared()) service->stop(soundID);
}

std::optional<double> systemSoundDuration(SystemSoundID soundID) {
    SystemSoundService* service = SystemSoundService::shared();
    return service != nullptr ? service->duration(soundID) : std::nullopt;
}

std::optional<SystemSoundPlayOptions> playbackOptions(SystemSoundID soundID) {
    SystemSoundService* service = SystemSoundService::shared();
    return service != nullptr ? service->playbackOptions(soundID) : std::nullopt;
}

OSStatus AudioServicesDisposeSystemSoundID(SystemSoundID soundID) {
    SystemSoundService* service = SystemSoundService::shared();
    // At exit every sound has already been freed with the service.
    return service != nullptr ? service->dispose(soundID) : kAudioServicesNoError;
}

void setVibrationHandler(std::function<void()> handler) {
    if (SystemSoundService* service = SystemSoundService::shared()) {
        service->setVibrationHandler(std::move(handler));
    }
}

std::uint64_t vibrationCount() {
    return SystemSoundService::vibrationCount();
}

std::uint64_t playCount() {
    return SystemSoundService::playCount();
}

std::size_t playingSoundCount() {
    SystemSoundService* service = SystemSoundService::shared();
    return service != nullptr ? service->playingSoundCount() : 0;
}

std::size_t playingSoundCount(SystemSoundID soundID) {
    SystemSoundService* service = SystemSoundService::shared();
    return service != nullptr ? service->playingSoundCount(soundID) : 0;
}

void stopAllSystemSounds() {
    if (SystemSoundService* service = SystemSoundService::shared()) service->stopAll();
}

int systemSoundVolume() {
    SystemSoundService* service = SystemSoundService::shared();
    return service != nullptr ? service->volume() : 0;
}

void setSystemSoundVolume(int percent) {
    if (SystemSoundService* service = SystemSoundService::shared()) service->setVolume(percent);
}

bool isSystemSoundMuted() {
    SystemSoundService* service = SystemSoundService::shared();
    return service != nullptr && service->isMuted();
}

void setSystemSoundMuted(bool muted) {
    if (SystemSoundService* service = SystemSoundService::shared()) service->setMuted(muted);
}

std::vector<OutputDeviceInfo> audioOutputDevices() {
    SystemSoundService* service = SystemSoundService::shared();
    return service != nullptr ? service->outputDevices() : std::vector<OutputDeviceInfo>{};
}

std::string audioOutputDevice() {
    SystemSoundService* service = SystemSoundService::shared();
    return service != nullptr ? service->outputDevice() : std::string();
}

bool setAudioOutputDevice(const std::string& name) {
    SystemSoundService* service = SystemSoundService::shared();
    return service != nullptr && service->setOutputDevice(name);
}

std::optional<double> playbackProgress(SystemSoundID soundID) {
    SystemSoundService* service = SystemSoundService::shared();
    return service != nullptr ? service->playbackProgress(soundID) : std::nullopt;
}

namespace audio_diagnostics {

void setFirstMixObserver(std::function<void(SystemSoundID)> observer) {
    if (SystemSoundService* service = SystemSoundService::shared()) {
        service->setFirstMixObserver(std::move(observer));
    }
}

std::optional<OutputFormat> outputFormat() {
    SystemSoundService* service = SystemSoundService::shared();
    return service != nullptr ? service->outputFormat() : std::nullopt;
}

void resetForTesting() {
    if (SystemSoundService* service = SystemSoundService::shared()) service->reset();
}

}  // namespace audio_diagnostics
}  // namespace platform
