#include "FileContents.h"

#include "FileDescriptor.h"

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

}  // namespace

FileContents readFileContents(const std::filesystem::path& path) {
    FileDescriptor file(openRetrying(path));
    if (!file.valid()) {
        if (errno == ENOENT || errno == ENOTDIR) return FileContents{};
        return unreadable(errno);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) return unreadable(errno);
    if (!S_ISREG(info.st_mode)) return unreadable(S_ISDIR(info.st_mode) ? EISDIR : EINVAL);

    std::string bytes;
    if (info.st_size > 0) bytes.reserve(static_cast<std::size_t>(info.st_size));
    std::array<char, 65536> chunk{};
    while (true) {
        ssize_t count = ::read(file.get(), chunk.data(), chunk.size());
        if (count == 0) break;
        if (count < 0) {
            if (errno == EINTR) continue;
            return unreadable(errno);
        }
        bytes.append(chunk.data(), static_cast<std::size_t>(count));
    }
    FileContents contents;
    contents.outcome = FileContents::Outcome::Read;
    contents.bytes = std::move(bytes);
    return contents;
}

}  // namespace platform
