#pragma once

#include "SoundServerState.h"

#include <pulse/context.h>
#include <pulse/introspect.h>

#include <functional>

namespace platform {

// Reads a server's name, default sink and sinks over a ready context: two
// requests whose answers arrive through the context's main loop, then one call
// of `done` with the state, or with nothing when a request failed. The reader
// must outlive the answers: keep it until `done` ran or the context is gone.
class ServerStateReader {
  public:
    using Done = std::function<void(const SoundServerState* state)>;

    // False when the requests could not be sent (the context is not ready).
    bool start(pa_context* context, Done done);

  private:
    static void onServerInfo(pa_context* context, const pa_server_info* info, void* self);
    static void onSinkInfo(pa_context* context, const pa_sink_info* info, int eol, void* self);
    void finishOne(bool failed);

    SoundServerState m_state;
    Done m_done;
    int m_outstanding = 0;
    bool m_failed = false;
};

}  // namespace platform
