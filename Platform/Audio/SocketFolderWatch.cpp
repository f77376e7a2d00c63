#include "SocketFolderWatch.h"

#include <sys/inotify.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace platform {
namespace {

// Entries made, moved in or given new permissions (a server may make its
// socket and only then open it to others); the folder itself going away.
constexpr std::uint32_t kFolderEvents =
    IN_CREATE | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

}  // namespace

SocketFolderWatch::SocketFolderWatch(std::vector<std::filesystem::path> sockets)
    : m_sockets(std::move(sockets)), m_inotify(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    arm();
}

void SocketFolderWatch::arm() {
    for (const Watch& watch : m_watches) inotify_rm_watch(m_inotify.get(), watch.descriptor);
    m_watches.clear();
    m_watchedAll = m_inotify.valid();
    if (!m_inotify.valid()) return;
    for (const std::filesystem::path& socket : m_sockets) {
        std::filesystem::path folder = socket.parent_path();
        std::filesystem::path awaited = socket.filename();
        int descriptor = -1;
        // Up to the nearest folder that exists (the root always does).
        while (true) {
            std::error_code error;
            if (std::filesystem::is_directory(folder, error)) {
                descriptor = inotify_add_watch(m_inotify.get(), folder.c_str(), kFolderEvents);
                break;
            }
            if (!folder.has_relative_path()) break;
            awaited = folder.filename();
            folder = folder.parent_path();
        }
        if (descriptor < 0) {
            m_watchedAll = false;
            continue;
        }
        m_watches.push_back({descriptor, awaited.string(), folder == socket.parent_path()});
    }
}

bool SocketFolderWatch::takeNews() {
    if (!m_inotify.valid()) return false;
    bool news = false;
    bool rearm = false;
    alignas(inotify_event) std::array<char, 4096> buffer{};
    while (true) {
        const ssize_t length = read(m_inotify.get(), buffer.data(), buffer.size());
        if (length <= 0) break;
        for (std::size_t at = 0; at + sizeof(inotify_event) <= static_cast<std::size_t>(length);) {
            inotify_event event{};
            std::memcpy(&event, buffer.data() + at, sizeof(event));
            const std::size_t size = sizeof(inotify_event) + event.len;
            if (at + size > static_cast<std::size_t>(length)) break;
            // The name is NUL-padded to its length.
            const char* nameStart = buffer.data() + at + sizeof(inotify_event);
            const std::string name(nameStart, strnlen(nameStart, event.len));
            at += size;
            if ((event.mask & IN_Q_OVERFLOW) != 0) {
                news = true;
                continue;
            }
            const auto isOurs = [&](const Watch& watch) { return watch.descriptor == event.wd; };
            // Watches dropped by an earlier arm() still report their end.
            if (std::none_of(m_watches.begin(), m_watches.end(), isOurs)) continue;
            if ((event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) != 0) {
                // The watched folder went: watch again from what exists.
                rearm = true;
                continue;
            }
            // Two sockets may share a folder: any of them may be awaiting this name.
            for (const Watch& watch : m_watches) {
                if (watch.descriptor != event.wd || watch.awaited != name) continue;
                // A folder on the way was made: watch inside it from now on.
                if (watch.socketFolder) {
                    news = true;
                } else {
                    rearm = true;
                }
            }
        }
    }
    if (rearm) {
        arm();
        // A socket made before the deeper folder was watched shows no entry of its own.
        for (const std::filesystem::path& socket : m_sockets) {
            std::error_code error;
            if (std::filesystem::exists(std::filesystem::symlink_status(socket, error)))
                news = true;
        }
    }
    return news;
}

}  // namespace platform
