#include "Log.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>
#include <map>
#include <mutex>
#include <set>

#include <errno.h>
#include <unistd.h>

namespace platform {
namespace {

// Every live LogCapture, by id. A message goes to all of them, so captures nest.
struct CaptureRegistry {
    std::mutex mutex;
    std::size_t nextId = 1;
    std::map<std::size_t, std::vector<std::string>> captures;
};

CaptureRegistry& registry() {
    static CaptureRegistry instance;
    return instance;
}

std::string timestampNow() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    std::array<char, 32> date{};
    std::size_t length = std::strftime(date.data(), date.size(), "%Y-%m-%d %H:%M:%S", &local);
    auto millis = static_cast<int>(now.tv_nsec / 1000000L) % 1000;
    std::string stamp(date.data(), length);
    stamp += '.';
    stamp += static_cast<char>('0' + millis / 100);
    stamp += static_cast<char>('0' + millis / 10 % 10);
    stamp += static_cast<char>('0' + millis % 10);
    return stamp;
}

// Writes the whole buffer with as few write() calls as the kernel allows; for
// a line of ordinary length on a pipe, terminal or file that is exactly one,
// so concurrent lines never interleave.
void writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return;  // Nowhere left to report a broken stderr.
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

}  // namespace

std::string formatLogLine(std::string_view message) {
    std::string line = timestampNow();
    line += ' ';
    line += program_invocation_short_name;
    line += '[';
    line += std::to_string(::getpid());
    line += "] ";
    line += message;
    return line;
}

void Log(std::string_view message) {
    std::string line = formatLogLine(message);
    line += '\n';
    {
        auto& all = registry();
        std::lock_guard lock(all.mutex);
        for (auto& [id, messages] : all.captures) messages.emplace_back(message);
    }
    writeAll(STDERR_FILENO, line);
}

void LogOnce(std::string_view message) {
    static std::mutex mutex;
    static std::set<std::string, std::less<>> logged;
    {
        std::lock_guard lock(mutex);
        if (!logged.emplace(message).second) return;
    }
    Log(message);
}

LogCapture::LogCapture() {
    auto& all = registry();
    std::lock_guard lock(all.mutex);
    m_id = all.nextId++;
    all.captures.emplace(m_id, std::vector<std::string>{});
}

LogCapture::~LogCapture() {
    auto& all = registry();
    std::lock_guard lock(all.mutex);
    all.captures.erase(m_id);
}

std::vector<std::string> LogCapture::messages() const {
    auto& all = registry();
    std::lock_guard lock(all.mutex);
    auto found = all.captures.find(m_id);
    return found == all.captures.end() ? std::vector<std::string>{} : found->second;
}

bool LogCapture::contains(std::string_view message) const {
    return count(message) > 0;
}

std::size_t LogCapture::count(std::string_view message) const {
    auto all = messages();
    return static_cast<std::size_t>(std::count(all.begin(), all.end(), message));
}

}  // namespace platform
