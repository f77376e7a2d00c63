#include "MappedFile.h"

#include "Platform/Foundation/FileContents.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace media {
namespace {

// Closes the descriptor on every path; the mapping outlives it.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

std::optional<MappedFile> MappedFile::open(const std::filesystem::path& path,
                                           std::uintmax_t maximumBytes, std::string& problem) {
    Descriptor file;
    do {
        file.fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (file.fd < 0 && errno == EINTR);
    if (file.fd < 0) {
        problem = errno == ENOENT ? "is missing" : "cannot be opened";
        return std::nullopt;
    }
    struct stat status {};
    if (::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        problem = "is not a regular file";
        return std::nullopt;
    }
    const auto size = static_cast<std::uintmax_t>(status.st_size);
    if (size == 0) {
        problem = "is empty";
        return std::nullopt;
    }
    if (size > maximumBytes) {
        problem = "is " + platform::sizeText(size) + ", over the " +
                  platform::sizeText(maximumBytes) + " a sound file may hold";
        return std::nullopt;
    }
    void* data =
        ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, file.fd, 0);
    if (data == MAP_FAILED) {
        problem = "cannot be read";
        return std::nullopt;
    }
    return MappedFile(data, static_cast<std::size_t>(size));
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        if (m_data != nullptr) ::munmap(m_data, m_size);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

MappedFile::~MappedFile() {
    if (m_data != nullptr) ::munmap(m_data, m_size);
}

}  // namespace media
