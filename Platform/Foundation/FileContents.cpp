#include "FileContents.h"

#include "FileDescriptor.h"

#include <array>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

FileContents readFileContents(const std::filesystem::path& path) {
    FileContents contents;
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) {
        contents.exists = errno != ENOENT && errno != ENOTDIR;
        return contents;
    }
    contents.exists = true;
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return contents;

    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    std::array<char, 65536> chunk{};
    while (true) {
        ssize_t count = ::read(file.get(), chunk.data(), chunk.size());
        if (count == 0) break;
        if (count < 0) {
            if (errno == EINTR) continue;
            return contents;
        }
        bytes.append(chunk.data(), static_cast<std::size_t>(count));
    }
    contents.bytes = std::move(bytes);
    return contents;
}

}  // namespace platform
