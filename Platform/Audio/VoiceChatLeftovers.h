#pragma once

#include <chrono>
#include <cstddef>

namespace platform {

// Removes from the user's sound server what the voice chat of a copy of this
// program that no longer runs left behind (a crash, SIGKILL), recognised by
// voice_chat_owner::kProperty; waits up to `timeout`. Modules of a running
// copy stay. How many were removed; 0 without a server.
std::size_t removeVoiceChatLeftoversNow(
    std::chrono::milliseconds timeout = std::chrono::milliseconds(1500));

}  // namespace platform
