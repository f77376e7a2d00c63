#pragma once

#include <sys/types.h>

#include <optional>
#include <string_view>

namespace platform::voice_chat_owner {

// The property every module the voice chat loads carries in its argument,
// with the loading process's id as its value: how a later start tells what
// this program left on the server from what the user or another program made.
inline constexpr std::string_view kProperty = "soundboard.voice-chat.owner";

// The owner's process id a module's argument names; none for a module that
// is not the voice chat's (or names no sane id).
std::optional<pid_t> ownerIn(std::string_view moduleArgument);

// Whether process `pid` runs now and is this same program (another copy of
// it), not this process and not another program that got the id since.
bool isOtherLiveCopy(pid_t pid);

}  // namespace platform::voice_chat_owner
