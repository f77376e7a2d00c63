#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace platform::voice_chat_owner {

// The property every module the voice chat loads carries in its argument,
// with the loading process's id as its value: how a later start tells what
// this program left on the server from what the user or another program made.
inline constexpr std::string_view kProperty = "soundboard.voice-chat.owner";
// Beside it, the computer the loading process ran on: a server may be shared
// over the network, and a process id means nothing on another computer.
inline constexpr std::string_view kMachineProperty = "soundboard.voice-chat.machine";

// The owner's process id a module's argument names; none for a module that
// is not the voice chat's (or names no sane id).
std::optional<pid_t> ownerIn(std::string_view moduleArgument);

// Whether process `pid` runs now and is this same program (another copy of
// it), not this process and not another program that got the id since.
bool isOtherLiveCopy(pid_t pid);

// This computer's identity as kMachineProperty gives it: the systemd machine
// id, or the host name where there is none; letters, digits, '.' and '-' only.
const std::string& thisMachine();

// Whether a module's argument was made on this computer. A module that names
// no computer (made before the property existed) counts as made here.
bool madeHere(std::string_view moduleArgument);

}  // namespace platform::voice_chat_owner
