#include "DurableFile.h"

#include "FileDescriptor.h"

#include <cerrno>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Removes the temporary file unless the rename took it over.
class TemporaryName {
  public:
    explicit TemporaryName(std::string path) : m_path(std::move(path)) {}
    ~TemporaryName() {
        if (!m_released) ::unlink(m_path.c_str());
    }
    TemporaryName(const TemporaryName&) = delete;
    TemporaryName& operator=(const TemporaryName&) = delete;

    const std::string& path() const { return m_path; }
    void release() { m_released = true; }

  private:
    std::string m_path;
    bool m_released = false;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool fsyncRetrying(int fd) {
    int result = 0;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

// The process umask, read without changing it (umask() itself would race with
// other threads creating files). Linux reports it in /proc/self/status.
std::optional<mode_t> currentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) != 0) continue;
        try {
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The replacement keeps the permissions of the file it replaces; a new file
// gets what open() would have given it. mkstemp alone would leave 0600.
mode_t modeForReplacement(const std::filesystem::path& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        return existing.st_mode & 07777;
    }
    if (auto mask = currentUmask()) return static_cast<mode_t>(0666 & ~*mask);
    return 0600;
}

}  // namespace

bool writeFileDurably(const std::filesystem::path& target, std::string_view contents) {
    if (target.empty() || !target.has_filename()) return false;
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";

    // A hidden name beside the target, so the rename stays within one file system.
    std::string temporaryName = ".";
    temporaryName += target.filename().string();
    temporaryName += ".XXXXXX";
    std::string pattern = (folder / temporaryName).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    FileDescriptor file(::mkostemp(name.data(), O_CLOEXEC));
    if (!file.valid()) return false;
    TemporaryName temporary(name.data());

    if (::fchmod(file.get(), modeForReplacement(target)) != 0) return false;
    if (!writeAll(file.get(), contents)) return false;
    if (!fsyncRetrying(file.get())) return false;
    if (!file.close()) return false;

    if (::rename(temporary.path().c_str(), target.c_str()) != 0) return false;
    temporary.release();

    // The rename is durable only once the folder's entry is on disk. Past this
    // point the new file is in place; a failure here can only be reported.
    FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!directory.valid()) return false;
    return fsyncRetrying(directory.get());
}

}  // namespace platform
