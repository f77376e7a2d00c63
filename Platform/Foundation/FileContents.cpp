#include "FileContents.h"

#include "FileDescriptor.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

FileContents unreadable(int error) {
    FileContents contents;
    contents.outcome = FileContents::Outcome::Unreadable;
    contents.error = error;
    return contents;
}

int openRetrying(const std::filesystem::path& path) {
    int fd = -1;
    do {
        // O_NONBLOCK: opening a FIFO someone left at the path must not hang; it
        // changes nothing for a regular file.
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

FileContents tooLarge(std::uintmax_t size) {
    FileContents contents;
    contents.outcome = FileContents::Outcome::TooLarge;
    contents.size = size;
    return contents;
}

}  // namespace

FileContents readFileContents(const std::filesystem::path& path, std::uintmax_t maximumBytes) {
    FileDescriptor file(openRetrying(path));
    if (!file.valid()) {
        if (errno == ENOENT || errno == ENOTDIR) return FileContents{};
        return unreadable(errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) return unreadable(errno);
    if (!S_ISREG(info.st_mode)) return unreadable(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);

    const auto claimed = static_cast<std::uintmax_t>(std::max<off_t>(info.st_size, 0));
    if (claimed > maximumBytes) return tooLarge(claimed);

    std::string bytes;
    if (claimed > 0) bytes.reserve(static_cast<std::size_t>(claimed));
    std::array<char, 65536> chunk{};
    while (true) {
        ssize_t count = ::read(file.get(), chunk.data(), chunk.size());
        if (count == 0) break;
        if (count < 0) {
            if (errno == EINTR) continue;
            return unreadable(errno);
        }
        if (static_cast<std::uintmax_t>(count) > maximumBytes - bytes.size()) {
            return tooLarge(static_cast<std::uintmax_t>(bytes.size()) +
                            static_cast<std::uintmax_t>(count));
        }
        bytes.append(chunk.data(), static_cast<std::size_t>(count));
    }
    FileContents contents;
    contents.outcome = FileContents::Outcome::Read;
    contents.bytes = std::move(bytes);
    return contents;
}

std::string sizeText(std::uintmax_t bytes) {
    constexpr std::uintmax_t kKiB = 1024;
    const auto inUnits = [bytes](std::uintmax_t unit, const char* name) {
        // Rounded up, so a size over a limit never reads as the limit.
        const std::uintmax_t tenths = (bytes / unit) * 10 + ((bytes % unit) * 10 + unit - 1) / unit;
        std::string text = std::to_string(tenths / 10);
        if (tenths % 10 != 0 && tenths < 1000) text += "." + std::to_string(tenths % 10);
        return text + " " + name;
    };
    if (bytes >= kKiB * kKiB * kKiB) return inUnits(kKiB * kKiB * kKiB, "GiB");
    if (bytes >= kKiB * kKiB) return inUnits(kKiB * kKiB, "MiB");
    if (bytes >= kKiB) return inUnits(kKiB, "KiB");
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

}  // namespace platform
