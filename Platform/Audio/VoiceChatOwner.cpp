#include "VoiceChatOwner.h"

#include "Platform/Foundation/FileContents.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <string>
#include <system_error>

namespace platform::voice_chat_owner {

namespace {

bool isIdentityCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-';
}

// What follows `property=` in a module's argument, where the key starts a
// word ("x.soundboard.voice-chat.owner" is not ours); none without the key.
std::optional<std::string_view> valueOf(std::string_view argument, std::string_view property) {
    const std::string key = std::string(property) + "=";
    for (std::size_t at = argument.find(key); at != std::string_view::npos;
         at = argument.find(key, at + 1)) {
        const char before = at > 0 ? argument[at - 1] : ' ';
        if (before == ' ' || before == '\'' || before == '"' || before == '\t') {
            return argument.substr(at + key.size());
        }
    }
    return std::nullopt;
}

std::string readMachine() {
    for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        const FileContents contents = readFileContents(path, 4096);
        if (!contents.bytes) continue;
        std::string id;
        for (char c : *contents.bytes) {
            if (isIdentityCharacter(c)) id += c;
        }
        if (!id.empty()) return id;
    }
    std::array<char, 256> host{};
    if (gethostname(host.data(), host.size() - 1) != 0) return "unknown";
    std::string id;
    for (const char* c = host.data(); *c != 0; ++c) {
        if (isIdentityCharacter(*c)) id += *c;
    }
    return id.empty() ? std::string("unknown") : id;
}

}  // namespace

std::optional<pid_t> ownerIn(std::string_view argument) {
    const auto value = valueOf(argument, kProperty);
    if (!value) return std::nullopt;
    const std::string_view digits = *value;
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

const std::string& thisMachine() {
    static const std::string machine = readMachine();
    return machine;
}

bool madeHere(std::string_view argument) {
    const auto value = valueOf(argument, kMachineProperty);
    if (!value) return true;
    std::size_t length = 0;
    while (length < value->size() && isIdentityCharacter((*value)[length])) ++length;
    return value->substr(0, length) == thisMachine();
}

}  // namespace platform::voice_chat_owner
