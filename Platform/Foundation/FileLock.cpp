#include "FileLock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>

namespace platform {

namespace {

int openRetrying(const std::filesystem::path& lockFile) {
    int fd = -1;
    do {
        fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

FileLock::FileLock(const std::filesystem::path& lockFile) : m_file(openRetrying(lockFile)) {
    if (!m_file.valid()) return;
    int result = 0;
    do {
        result = ::flock(m_file.get(), LOCK_EX);
    } while (result != 0 && errno == EINTR);
    m_locked = result == 0;
}

FileLock::~FileLock() {
    // Closing the file releases the lock; unlocking first makes the release
    // independent of any descriptor a child process might have inherited.
    if (m_locked) ::flock(m_file.get(), LOCK_UN);
}

}  // namespace platform
