#include "XdgPaths.h"

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace platform {
namespace {

std::optional<std::filesystem::path> absoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value != '/') return std::nullopt;
    return std::filesystem::path(value);
}

std::optional<std::filesystem::path> homeFromPasswordDatabase() {
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) != 0 ||
        result == nullptr || result->pw_dir == nullptr || result->pw_dir[0] != '/') {
        return std::nullopt;
    }
    return std::filesystem::path(result->pw_dir);
}

void skipBlanks(std::string_view& text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
}

bool consume(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) return false;
    text.remove_prefix(prefix.size());
    return true;
}

// One line of user-dirs.dirs, a shell fragment of the form
//   XDG_DOCUMENTS_DIR="$HOME/Documents"   or   XDG_DOCUMENTS_DIR="/abs/path"
// Anything else (comments, other names, relative paths, a missing quote) is
// not an answer, so the caller keeps looking or falls back.
std::optional<std::filesystem::path> documentsDirFromLine(std::string_view line,
                                                          const std::filesystem::path& home) {
    skipBlanks(line);
    if (!consume(line, "XDG_DOCUMENTS_DIR")) return std::nullopt;
    skipBlanks(line);
    if (!consume(line, "=")) return std::nullopt;
    skipBlanks(line);
    if (!consume(line, "\"")) return std::nullopt;

    bool relativeToHome = false;
    if (consume(line, "$HOME")) {
        if (line.empty() || (line.front() != '/' && line.front() != '"')) return std::nullopt;
        relativeToHome = true;
    } else if (line.empty() || line.front() != '/') {
        return std::nullopt;
    }

    // The value runs to the closing quote; a backslash makes the next character literal.
    std::string value;
    bool closed = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            closed = true;
            break;
        }
        if (c == '\\' && i + 1 < line.size()) c = line[++i];
        value += c;
    }
    if (!closed) return std::nullopt;
    while (value.size() > 1 && value.back() == '/') value.pop_back();

    if (!relativeToHome) return std::filesystem::path(value);
    if (value.empty() || value == "/") return home;
    return home / std::filesystem::path(value).relative_path();
}

}  // namespace

std::filesystem::path XdgPaths::home() {
    if (const char* value = std::getenv("HOME"); value != nullptr && *value != '\0') {
        return std::filesystem::path(value);
    }
    if (auto fromDatabase = homeFromPasswordDatabase()) return *fromDatabase;
    return std::filesystem::path("/");
}

std::filesystem::path XdgPaths::configHome() {
    if (auto configured = absoluteFromEnvironment("XDG_CONFIG_HOME")) return *configured;
    return home() / ".config";
}

std::filesystem::path XdgPaths::dataHome() {
    if (auto configured = absoluteFromEnvironment("XDG_DATA_HOME")) return *configured;
    return home() / ".local" / "share";
}

std::filesystem::path XdgPaths::documentsDir() {
    const std::filesystem::path userHome = home();
    std::optional<std::filesystem::path> found;
    std::ifstream file(configHome() / "user-dirs.dirs");
    std::string line;
    // As when the shell sources the file, a later valid assignment wins.
    while (std::getline(file, line)) {
        if (auto candidate = documentsDirFromLine(line, userHome)) found = std::move(candidate);
    }
    return found ? *found : userHome / "Documents";
}

}  // namespace platform
