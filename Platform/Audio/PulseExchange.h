#pragma once

#include <pulse/context.h>

#include <chrono>
#include <functional>

namespace platform::pulse {

// A short exchange with the sound server, made while the caller waits: a
// connection on a loop of its own (no server is ever started for it), turned
// until `done` says the exchange is over or `timeout` passes.
//
// `ready` runs once, when the connection is up, to send the first requests;
// false means nothing could be sent. `done` runs between turns of the loop and
// may send further requests (an answer that asks for more). The connection is
// closed before this returns, so no answer arrives into the caller's state
// afterwards. True when `done` said so in time.
bool exchangeWithServer(std::chrono::milliseconds timeout,
                        const std::function<bool(pa_context*)>& ready,
                        const std::function<bool(pa_context*)>& done);

}  // namespace platform::pulse
