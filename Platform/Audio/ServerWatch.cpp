#include "ServerWatch.h"

#include "ServerSockets.h"

#include <pulse/subscribe.h>
#include <pulse/timeval.h>

namespace platform {

ServerWatch::ServerWatch(Changed changed) : m_changed(std::move(changed)) {
    m_loop.reset(pa_threaded_mainloop_new());
    if (!m_loop) return;
    pa_threaded_mainloop_set_name(m_loop.get(), "sound server watch");
    pa_threaded_mainloop_lock(m_loop.get());
    // Watched before the first try, so a server that starts in between is not missed.
    const ServerSockets places = ServerSockets::fromEnvironment();
    m_sockets = std::make_unique<SocketFolderWatch>(places.sockets);
    m_looksNowAndThen = places.remote;
    if (m_sockets->descriptor() >= 0) {
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop.get());
        m_socketNews = api->io_new(api, m_sockets->descriptor(), PA_IO_EVENT_INPUT,
                                   &ServerWatch::onSocketNews, this);
    }
    if (m_socketNews == nullptr) m_looksNowAndThen = true;
    connect();
    pa_threaded_mainloop_unlock(m_loop.get());
    if (pa_threaded_mainloop_start(m_loop.get()) < 0) {
        pa_threaded_mainloop_lock(m_loop.get());
        freeEvents();
        m_context.reset();
        pa_threaded_mainloop_unlock(m_loop.get());
        m_loop.reset();
    }
}

ServerWatch::~ServerWatch() {
    if (!m_loop) return;
    pa_threaded_mainloop_lock(m_loop.get());
    freeEvents();
    m_context.reset();
    pa_threaded_mainloop_unlock(m_loop.get());
    m_loop.reset();
}

void ServerWatch::freeEvents() {
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop.get());
    if (m_retry != nullptr) api->time_free(m_retry);
    m_retry = nullptr;
    if (m_socketNews != nullptr) api->io_free(m_socketNews);
    m_socketNews = nullptr;
}

void ServerWatch::connect() {
    m_reading = false;
    m_readAgain = false;
    ++m_attempts;
    m_context = pulse::makeContext(pa_threaded_mainloop_get_api(m_loop.get()));
    if (!m_context) {
        waitForServer();
        return;
    }
    pa_context_set_state_callback(m_context.get(), &ServerWatch::onContextState, this);
    if (pa_context_connect(m_context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        report(std::nullopt);
        waitForServer();
    }
}

void ServerWatch::waitForServer() {
    if (m_retry != nullptr) return;
    double seconds = 0;
    if (m_quickRetriesLeft > 0) {
        --m_quickRetriesLeft;
        seconds = kQuickRetrySeconds;
    } else if (m_looksNowAndThen || !m_sockets->watchesAll()) {
        seconds = kSlowRetrySeconds;
    } else {
        return;
    }
    timeval when{};
    pa_timeval_add(pa_gettimeofday(&when), static_cast<pa_usec_t>(seconds * PA_USEC_PER_SEC));
    m_retry = pa_threaded_mainloop_get_api(m_loop.get())
                  ->time_new(pa_threaded_mainloop_get_api(m_loop.get()), &when,
                             &ServerWatch::onRetry, this);
}

void ServerWatch::onRetry(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self) {
    auto& watch = *static_cast<ServerWatch*>(self);
    api->time_free(event);
    watch.m_retry = nullptr;
    // The failed context is dropped here, outside its own callbacks.
    watch.m_context.reset();
    watch.connect();
}

void ServerWatch::onSocketNews(pa_mainloop_api* api, pa_io_event*, int, pa_io_event_flags_t,
                               void* self) {
    auto& watch = *static_cast<ServerWatch*>(self);
    if (!watch.m_sockets->takeNews()) return;
    // Connected or on the way: the news is the server's own files.
    if (watch.m_context && PA_CONTEXT_IS_GOOD(pa_context_get_state(watch.m_context.get()))) return;
    // A server that has made its socket may not take connections for a
    // moment yet: a few quick tries, then quiet again.
    watch.m_quickRetriesLeft = kQuickRetries;
    if (watch.m_retry != nullptr) api->time_free(watch.m_retry);
    watch.m_retry = nullptr;
    watch.m_context.reset();
    watch.connect();
}

void ServerWatch::onContextState(pa_context* context, void* self) {
    auto& watch = *static_cast<ServerWatch*>(self);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) {
        // When this server goes, its socket's folder tells when the next one comes.
        watch.m_quickRetriesLeft = 0;
        pa_context_set_subscribe_callback(context, &ServerWatch::onEvent, self);
        pulse::OperationPtr subscribed(
            pa_context_subscribe(context,
                                 static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK |
                                                                     PA_SUBSCRIPTION_MASK_SERVER),
                                 nullptr, nullptr));
        watch.refresh();
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        watch.report(std::nullopt);
        watch.waitForServer();
    }
}

void ServerWatch::onEvent(pa_context*, pa_subscription_event_type_t, std::uint32_t, void* self) {
    static_cast<ServerWatch*>(self)->refresh();
}

void ServerWatch::refresh() {
    // Events that arrive during a read are answered by one more read after it.
    if (m_reading) {
        m_readAgain = true;
        return;
    }
    m_reading = m_reader.start(m_context.get(), [this](const SoundServerState* state) {
        m_reading = false;
        if (state != nullptr) report(*state);
        if (m_readAgain) {
            m_readAgain = false;
            refresh();
        }
    });
}

void ServerWatch::report(const std::optional<SoundServerState>& state) {
    if (m_reported && state == m_last) return;
    m_reported = true;
    m_last = state;
    if (m_changed) m_changed(state);
}

}  // namespace platform
