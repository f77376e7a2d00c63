#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Play into Voice Chat: a virtual microphone on the user's sound server that
// carries every sound the program plays (after the level, the mute and Stop
// All, as the speakers hear it) mixed with the user's own microphone, for a
// call or streaming program to take as its input. The user's default input
// and output never change, and the user never hears their own microphone.

// What call programs list.
inline constexpr const char* kVoiceChatMicrophoneDescription = "Soundboard Microphone";
// The server's names of what the voice chat makes.
inline constexpr const char* kVoiceChatSinkName = "soundboard_voice_chat";
inline constexpr const char* kVoiceChatSourceName = "soundboard_microphone";

struct VoiceChatStatus {
    enum class State {
        Off,
        // Asked for; the server's answer is on its way.
        Starting,
        // The virtual microphone is there and carries the sounds.
        On,
        // No server now: made as soon as one answers.
        NoServer,
        // The server would not load what it takes; `reason` says why.
        Refused,
        // Another running copy of the program has made it already.
        OwnedByOtherCopy,
    };
    State state = State::Off;
    // For the user, when the state is not Off, Starting or On.
    std::string reason;
    // The capture source passed through now (its server name); empty: none.
    std::string microphoneInUse;
};

// A capture source of the server: `name` is the server's identity for it
// (what a choice is kept by), `description` what the user is shown.
struct MicrophoneInfo {
    std::string name;
    std::string description;
    bool operator==(const MicrophoneInfo&) const = default;
};

// Which microphone is passed through: none (std::nullopt), the system
// default (empty), or a source by its server name.
using MicrophoneChoice = std::optional<std::string>;

// Switches the mode on (creating the virtual microphone now, or once a server
// answers) or off (removing everything it made). Also switched off, and
// everything removed, when the process ends normally.
void setVoiceChat(bool on);
bool isVoiceChatOn();
VoiceChatStatus voiceChatStatus();

// The server's capture sources, monitors and the virtual microphone left out;
// none without a server.
std::vector<MicrophoneInfo> voiceChatMicrophones();
// Takes effect at once while on, and is kept for the next switching on. A
// chosen source that is gone falls back to the default, with one log line.
void setVoiceChatMicrophone(const MicrophoneChoice& choice);
MicrophoneChoice voiceChatMicrophone();

// Hear Sounds Myself: on (the default), the speakers play the sounds as
// ever; off, only the virtual microphone carries them (the output keeps
// running as the mix's clock).
void setHearSoundsMyself(bool on);
bool hearsSoundsMyself();

// At a start with the mode off: removes what a copy of this program that no
// longer runs left on the server (after a crash or SIGKILL). Switching on
// does the same by itself.
void removeVoiceChatLeftovers();

// Whether a sound server answers now (for the menu, without switching on).
bool soundServerAnswers();

}  // namespace platform
