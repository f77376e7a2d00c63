#include "VoiceChatOwner.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <string>
#include <system_error>

namespace platform::voice_chat_owner {

std::optional<pid_t> ownerIn(std::string_view argument) {
    const std::string key = std::string(kProperty) + "=";
    const std::size_t at = argument.find(key);
    if (at == std::string_view::npos) return std::nullopt;
    // The key must start a word: "x.soundboard.voice-chat.owner" is not ours.
    if (at > 0) {
        const char before = argument[at - 1];
        if (before != ' ' && before != '\'' && before != '"' && before != '\t') return std::nullopt;
    }
    const std::string_view digits = argument.substr(at + key.size());
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (error != std::errc() || end == digits.data() || pid <= 0) return std::nullopt;
    return pid;
}

bool isOtherLiveCopy(pid_t pid) {
    if (pid <= 0 || pid == getpid()) return false;
    if (kill(pid, 0) != 0 && errno != EPERM) return false;
    std::error_code failed;
    const auto theirs =
        std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", failed);
    if (failed) return false;
    const auto ours = std::filesystem::read_symlink("/proc/self/exe", failed);
    return !failed && theirs == ours;
}

}  // namespace platform::voice_chat_owner
