#pragma once

#include "FileDescriptor.h"

#include <filesystem>

namespace platform {

// An exclusive advisory lock (flock) on a lock file, held while the object
// lives. The lock file is created when missing and never removed: removing it
// would let two processes lock two different files of the same name.
//
// flock locks belong to the open file, so two FileLocks on the same path
// exclude each other within one process as well as across processes.
class FileLock {
  public:
    explicit FileLock(const std::filesystem::path& lockFile);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // False when the lock file could not be opened or locked.
    bool locked() const { return m_locked; }

  private:
    FileDescriptor m_file;
    bool m_locked = false;
};

}  // namespace platform
