#pragma once

#include "Platform/Foundation/FileDescriptor.h"

#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// Tells when a socket may have appeared at one of some paths, without
// looking again and again: the kernel (inotify) reports each entry made in
// the folder that holds a socket, or, while that folder does not exist yet,
// in its nearest ancestor that does, which is then followed down as the
// folders on the way are made.
//
// The descriptor is for a poll loop: readable when the kernel has news, which
// takeNews() then reads. Not thread-safe; one thread uses it.
class SocketFolderWatch {
  public:
    explicit SocketFolderWatch(std::vector<std::filesystem::path> sockets);
    SocketFolderWatch(const SocketFolderWatch&) = delete;
    SocketFolderWatch& operator=(const SocketFolderWatch&) = delete;

    // -1 when the kernel gave no watch at all.
    int descriptor() const { return m_inotify.get(); }
    // Whether every socket's folder (or an ancestor of it) is watched: if
    // not, only looking now and then finds a server there.
    bool watchesAll() const { return m_watchedAll; }

    // Reads what the kernel queued without blocking, and watches further down
    // where a folder on the way was made. True when a socket's own name came
    // or changed (or was found in a folder only just made), so a server may be
    // there now; entries of other names are no news.
    bool takeNews();

  private:
    struct Watch {
        int descriptor;
        // The entry awaited in the watched folder: the socket's own name, or
        // the next folder on the way to it.
        std::string awaited;
        bool socketFolder;
    };
    // Watches each socket's nearest existing folder afresh.
    void arm();

    std::vector<std::filesystem::path> m_sockets;
    FileDescriptor m_inotify;
    std::vector<Watch> m_watches;
    bool m_watchedAll = false;
};

}  // namespace platform
