#pragma once

// Owners for the sound server client library's handles, so every path that
// leaves early still releases them. Only Platform/Audio includes this.

#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <pulse/operation.h>
#include <pulse/proplist.h>
#include <pulse/stream.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>

#include <memory>

namespace platform::pulse {

struct MainloopDeleter {
    void operator()(pa_mainloop* loop) const { pa_mainloop_free(loop); }
};
using MainloopPtr = std::unique_ptr<pa_mainloop, MainloopDeleter>;

struct ThreadedMainloopDeleter {
    // Stopping joins the loop's thread; it must not be that thread.
    void operator()(pa_threaded_mainloop* loop) const {
        pa_threaded_mainloop_stop(loop);
        pa_threaded_mainloop_free(loop);
    }
};
using ThreadedMainloopPtr = std::unique_ptr<pa_threaded_mainloop, ThreadedMainloopDeleter>;

// Disconnects first, so no callback of the context runs after it is gone.
struct ContextDeleter {
    void operator()(pa_context* context) const {
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_set_subscribe_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
};
using ContextPtr = std::unique_ptr<pa_context, ContextDeleter>;

struct OperationDeleter {
    void operator()(pa_operation* operation) const { pa_operation_unref(operation); }
};
using OperationPtr = std::unique_ptr<pa_operation, OperationDeleter>;

// Silences the stream's callbacks and disconnects it before letting it go.
struct StreamDeleter {
    void operator()(pa_stream* stream) const {
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_set_write_callback(stream, nullptr, nullptr);
        pa_stream_set_read_callback(stream, nullptr, nullptr);
        pa_stream_set_moved_callback(stream, nullptr, nullptr);
        if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) pa_stream_disconnect(stream);
        pa_stream_unref(stream);
    }
};
using StreamPtr = std::unique_ptr<pa_stream, StreamDeleter>;

struct ProplistDeleter {
    void operator()(pa_proplist* list) const { pa_proplist_free(list); }
};
using ProplistPtr = std::unique_ptr<pa_proplist, ProplistDeleter>;

// A context that names this program to the server (the name the desktop's
// mixer shows) and never starts a server of its own.
ContextPtr makeContext(pa_mainloop_api* api);

}  // namespace platform::pulse
