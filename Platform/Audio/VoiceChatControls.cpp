#include "Platform/Audio/VoiceChatControls.h"

#include "SoundServerQuery.h"
#include "SoundSourceQuery.h"
#include "SystemSoundService.h"
#include "VoiceChatLeftovers.h"

namespace platform {

void setVoiceChat(bool on) {
    if (SystemSoundService* service = SystemSoundService::shared()) service->setVoiceChat(on);
}

bool isVoiceChatOn() {
    SystemSoundService* service = SystemSoundService::shared();
    return service != nullptr && service->isVoiceChatOn();
}

VoiceChatStatus voiceChatStatus() {
    SystemSoundService* service = SystemSoundService::shared();
    return service != nullptr ? service->voiceChatStatus() : VoiceChatStatus{};
}

std::vector<MicrophoneInfo> voiceChatMicrophones() {
    return querySoundSources().value_or(std::vector<MicrophoneInfo>{});
}

void setVoiceChatMicrophone(const MicrophoneChoice& choice) {
    if (SystemSoundService* service = SystemSoundService::shared()) {
        service->setVoiceChatMicrophone(choice);
    }
}

MicrophoneChoice voiceChatMicrophone() {
    SystemSoundService* service = SystemSoundService::shared();
    return service != nullptr ? service->voiceChatMicrophone() : MicrophoneChoice(std::string());
}

void setHearSoundsMyself(bool on) {
    if (SystemSoundService* service = SystemSoundService::shared())
        service->setHearSoundsMyself(on);
}

bool hearsSoundsMyself() {
    SystemSoundService* service = SystemSoundService::shared();
    return service == nullptr || service->hearsSoundsMyself();
}

void removeVoiceChatLeftovers() {
    removeVoiceChatLeftoversNow();
}

bool soundServerAnswers() {
    return querySoundServer(std::chrono::milliseconds(500)).has_value();
}

}  // namespace platform
