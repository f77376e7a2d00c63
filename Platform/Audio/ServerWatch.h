#pragma once

#include "PulseHandles.h"
#include "ServerStateReader.h"
#include "SocketFolderWatch.h"
#include "SoundServerState.h"

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace platform {

// Follows the user's sound server from a thread of its own: reports the
// server's state when the watch connects, whenever a sink comes or goes or the
// default changes, and none when the server goes away.
//
// While there is no server it sleeps until one may have appeared: the folder
// where the server makes its socket is watched (see SocketFolderWatch), and an
// entry made there is followed by a connection at once, tried again a few
// times over kQuickRetrySeconds while the server finishes starting. Only where
// no such folder is known (a network server, an unwatchable folder) does it
// look every kSlowRetrySeconds. With a server present it only waits on the
// server's socket: no timers, no wake-ups.
//
// `changed` runs on the watch's thread, only when the state differs from the
// last one reported; it must be quick and must not destroy the watch.
class ServerWatch {
  public:
    using Changed = std::function<void(const std::optional<SoundServerState>& state)>;
    static constexpr double kQuickRetrySeconds = 0.05;
    static constexpr int kQuickRetries = 20;
    static constexpr double kSlowRetrySeconds = 5.0;

    explicit ServerWatch(Changed changed);
    // Joins the watch's thread; no call of `changed` runs after this returns.
    ~ServerWatch();
    ServerWatch(const ServerWatch&) = delete;
    ServerWatch& operator=(const ServerWatch&) = delete;

    // How many times the watch has tried to connect so far: a watch without a
    // server stays at its first try until the socket's folder has news.
    unsigned connectionAttempts() const { return m_attempts.load(); }

  private:
    // These run on the watch's thread, with its loop locked.
    void connect();
    // After a failed connection: a timer where one is needed, else nothing
    // until the socket's folder has news.
    void waitForServer();
    void freeEvents();
    void refresh();
    void report(const std::optional<SoundServerState>& state);
    static void onContextState(pa_context* context, void* self);
    static void onEvent(pa_context* context, pa_subscription_event_type_t type, std::uint32_t index,
                        void* self);
    static void onRetry(pa_mainloop_api* api, pa_time_event* event, const struct timeval* when,
                        void* self);
    static void onSocketNews(pa_mainloop_api* api, pa_io_event* event, int descriptor,
                             pa_io_event_flags_t flags, void* self);

    Changed m_changed;
    pulse::ThreadedMainloopPtr m_loop;
    pulse::ContextPtr m_context;
    ServerStateReader m_reader;
    pa_time_event* m_retry = nullptr;
    std::unique_ptr<SocketFolderWatch> m_sockets;
    pa_io_event* m_socketNews = nullptr;
    // Whether some server could appear that no folder shows.
    bool m_looksNowAndThen = false;
    int m_quickRetriesLeft = 0;
    std::atomic<unsigned> m_attempts{0};
    bool m_reading = false;
    bool m_readAgain = false;
    bool m_reported = false;
    std::optional<SoundServerState> m_last;
};

}  // namespace platform
