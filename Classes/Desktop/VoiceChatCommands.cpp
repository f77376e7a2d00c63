#include "Classes/Desktop/VoiceChatCommands.h"

#include "Classes/Desktop/DesktopPreferences.h"
#include "Platform/Audio/VoiceChatControls.h"
#include "Platform/Foundation/CommandLine.h"
#include "Platform/Foundation/RunLoop.h"

#include <string>

using platform::HostServices;
using platform::MicrophoneChoice;
using platform::VoiceChatStatus;
using platform::WindowCommand;

namespace {

constexpr const char* kPlayIntoVoiceChat = "Play into Voice Chat";

// Why the mode cannot be had now; empty when it can (or is on and working).
std::string unavailableReason() {
    if (platform::isVoiceChatOn()) {
        const VoiceChatStatus status = platform::voiceChatStatus();
        using State = VoiceChatStatus::State;
        if (status.state == State::NoServer || status.state == State::Refused ||
            status.state == State::OwnedByOtherCopy) {
            return status.reason;
        }
        return {};
    }
    return platform::soundServerAnswers() ? std::string() : std::string("no sound server");
}

void chooseMicrophone(const MicrophoneChoice& choice) {
    platform::setVoiceChatMicrophone(choice);
    DesktopPreferences().setVoiceChatMicrophone(choice);
}

WindowCommand microphoneItem(const std::string& title, const MicrophoneChoice& choice,
                             const MicrophoneChoice& current) {
    WindowCommand item;
    item.title = title;
    item.checked = [checked = choice == current] { return checked; };
    item.perform = [choice](HostServices&) { chooseMicrophone(choice); };
    return item;
}

std::vector<WindowCommand> microphoneItems() {
    const MicrophoneChoice current = platform::voiceChatMicrophone();
    std::vector<WindowCommand> items{microphoneItem("System default", std::string(), current),
                                     microphoneItem("None", std::nullopt, current)};
    const auto sources = platform::voiceChatMicrophones();
    for (std::size_t index = 0; index < sources.size(); ++index) {
        items.push_back(microphoneItem(sources[index].description, sources[index].name, current));
        items.back().separatorBefore = index == 0;
    }
    return items;
}

}  // namespace

std::vector<WindowCommand> voiceChatCommands() {
    std::vector<WindowCommand> commands;

    auto voiceChat = WindowCommand::make(kPlayIntoVoiceChat, "", [](HostServices&) {
        const bool on = !platform::isVoiceChatOn();
        platform::setVoiceChat(on);
        DesktopPreferences().setVoiceChat(on);
    });
    voiceChat.separatorBefore = true;
    voiceChat.checked = [] { return platform::isVoiceChatOn(); };
    voiceChat.currentTitle = [] {
        const std::string reason = unavailableReason();
        return reason.empty() ? std::string(kPlayIntoVoiceChat)
                              : std::string(kPlayIntoVoiceChat) + " (" + reason + ")";
    };
    // While on it can always be switched off; while off only when a server answers.
    voiceChat.enabled = [] { return platform::isVoiceChatOn() || platform::soundServerAnswers(); };
    commands.push_back(std::move(voiceChat));

    WindowCommand microphone;
    microphone.title = "Microphone";
    microphone.submenu = microphoneItems;
    commands.push_back(std::move(microphone));

    auto hear = WindowCommand::make("Hear Sounds Myself", "", [](HostServices&) {
        const bool on = !platform::hearsSoundsMyself();
        platform::setHearSoundsMyself(on);
        DesktopPreferences().setHearSoundsMyself(on);
    });
    hear.checked = [] { return platform::hearsSoundsMyself(); };
    commands.push_back(std::move(hear));
    return commands;
}

void startVoiceChatAtLaunch(int argc, char** argv) {
    const bool asked = platform::CommandLine::parse(argc, argv).has("--voice-chat");
    const DesktopPreferences preferences;
    platform::setVoiceChatMicrophone(preferences.voiceChatMicrophone());
    platform::setHearSoundsMyself(preferences.hearSoundsMyself());
    if (!asked && !preferences.voiceChat()) {
        // What a crash left from a run with the mode on goes now all the same.
        platform::removeVoiceChatLeftovers();
        return;
    }
    platform::RunLoop::main().post([] { platform::setVoiceChat(true); });
}
