#include "DurableFile.h"

#include "FileDescriptor.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/random.h>
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

// A short write is followed by another for the rest; a write that makes no
// progress at all is a failure, not a reason to spin.
bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) return false;
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

int openRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd = -1;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Closes a file whose data fsync has already made durable. Linux releases the
// descriptor even when close reports EINTR, so that is no failure and must not
// be retried (the number may already belong to another thread's file).
bool closeAfterSync(FileDescriptor& file) {
    if (file.close()) return true;
    return errno == EINTR;
}

std::string randomSuffix() {
    static constexpr std::string_view kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::array<unsigned char, 8> noise{};
    if (::getrandom(noise.data(), noise.size(), GRND_NONBLOCK) !=
        static_cast<ssize_t>(noise.size())) {
        // No entropy yet: the exclusive create below still rules out a clash.
        static std::atomic<unsigned> counter{0};
        unsigned seed = static_cast<unsigned>(::getpid()) * 2654435761u + counter++;
        for (auto& byte : noise) {
            byte = static_cast<unsigned char>(seed);
            seed = seed * 1103515245u + 12345u;
        }
    }
    std::string suffix;
    for (unsigned char byte : noise) suffix += kLetters[byte % kLetters.size()];
    return suffix;
}

// Creates the hidden temporary file ".<name>.<random>" beside the target, so the
// rename stays within one file system. Made here rather than with mkostemp so that
// every call on it is an ordinary, visible open().
FileDescriptor createTemporary(const std::filesystem::path& folder, const std::string& name,
                               std::string& path) {
    for (int attempt = 0; attempt < 64; ++attempt) {
        path = (folder / ("." + name + "." + randomSuffix())).string();
        FileDescriptor file(
            openRetrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (file.valid() || errno != EEXIST) return file;
    }
    return FileDescriptor();
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

// The file a chain of symbolic links at `path` ends at (which need not exist
// yet), so that a write replaces what the link points to instead of the link.
// A chain that loops or runs too long is given back as it is; the rename then
// replaces the link, which at worst loses a link that led nowhere.
std::filesystem::path followLinks(const std::filesystem::path& link) {
    std::filesystem::path path = link;
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code failed;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, failed))) {
            return path;
        }
        std::filesystem::path next = std::filesystem::read_symlink(path, failed);
        if (failed || next.empty()) return path;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return link;
}

bool writeWithMode(const std::filesystem::path& link, std::string_view contents,
                   std::optional<mode_t> mode) {
    const std::filesystem::path target = followLinks(link);
    if (target.empty() || !target.has_filename()) return false;
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";

    std::string temporaryPath;
    FileDescriptor file = createTemporary(folder, target.filename().string(), temporaryPath);
    if (!file.valid()) return false;
    TemporaryName temporary(temporaryPath);

    if (::fchmod(file.get(), mode ? *mode : modeForReplacement(target)) != 0) return false;
    if (!writeAll(file.get(), contents)) return false;
    if (!fsyncRetrying(file.get())) return false;
    if (!closeAfterSync(file)) return false;

    // The target itself is never opened for writing: a reader holding it open
    // keeps reading the old bytes, and a crash cannot leave it half written.
    if (::rename(temporary.path().c_str(), target.c_str()) != 0) return false;
    temporary.release();

    // The rename is durable only once the folder's entry is on disk. Past this
    // point the new file is in place; a failure here can only be reported.
    FileDescriptor directory(openRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!directory.valid()) return false;
    return fsyncRetrying(directory.get());
}

}  // namespace

bool writeFileDurably(const std::filesystem::path& target, std::string_view contents) {
    return writeWithMode(target, contents, std::nullopt);
}

bool writeFileDurably(const std::filesystem::path& target, std::string_view contents,
                      std::filesystem::perms permissions) {
    return writeWithMode(target, contents,
                         static_cast<mode_t>(permissions & std::filesystem::perms::mask));
}

}  // namespace platform
