#pragma once

#include "PulseHandles.h"
#include "ServerStateReader.h"
#include "SoundServerState.h"

#include <functional>
#include <optional>

namespace platform {

// Follows the user's sound server from a thread of its own: reports the
// server's state when the watch connects, whenever a sink comes or goes or the
// default changes, and none when the server goes away. While there is no
// server it tries to connect again every kRetrySeconds, so a server that
// starts (or restarts) later is seen within that time. With a server present it
// only waits on the server's socket: no timers, no wake-ups.
//
// `changed` runs on the watch's thread, only when the state differs from the
// last one reported; it must be quick and must not destroy the watch.
class ServerWatch {
  public:
    using Changed = std::function<void(const std::optional<SoundServerState>& state)>;
    static constexpr double kRetrySeconds = 0.1;

    explicit ServerWatch(Changed changed);
    // Joins the watch's thread; no call of `changed` runs after this returns.
    ~ServerWatch();
    ServerWatch(const ServerWatch&) = delete;
    ServerWatch& operator=(const ServerWatch&) = delete;

  private:
    // These run on the watch's thread, with its loop locked.
    void connect();
    void retryLater();
    void refresh();
    void report(const std::optional<SoundServerState>& state);
    static void onContextState(pa_context* context, void* self);
    static void onEvent(pa_context* context, pa_subscription_event_type_t type, std::uint32_t index,
                        void* self);
    static void onRetry(pa_mainloop_api* api, pa_time_event* event, const struct timeval* when,
                        void* self);

    Changed m_changed;
    pulse::ThreadedMainloopPtr m_loop;
    pulse::ContextPtr m_context;
    ServerStateReader m_reader;
    pa_time_event* m_retry = nullptr;
    bool m_reading = false;
    bool m_readAgain = false;
    bool m_reported = false;
    std::optional<SoundServerState> m_last;
};

}  // namespace platform
