#include "PulseExchange.h"

#include "PulseHandles.h"

namespace platform::pulse {

bool exchangeWithServer(std::chrono::milliseconds timeout,
                        const std::function<bool(pa_context*)>& ready,
                        const std::function<bool(pa_context*)>& done) {
    MainloopPtr loop(pa_mainloop_new());
    if (!loop) return false;
    ContextPtr context = makeContext(pa_mainloop_get_api(loop.get()));
    if (!context) return false;
    if (pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        return false;
    }
    bool asked = false;
    bool finished = false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        const pa_context_state_t state = pa_context_get_state(context.get());
        if (!PA_CONTEXT_IS_GOOD(state)) break;
        if (state == PA_CONTEXT_READY && !asked) {
            asked = true;
            if (!ready(context.get())) break;
        }
        if (asked && done(context.get())) {
            finished = true;
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        if (pa_mainloop_prepare(loop.get(), static_cast<int>(left.count())) < 0 ||
            pa_mainloop_poll(loop.get()) < 0 || pa_mainloop_dispatch(loop.get()) < 0) {
            break;
        }
    }
    // Disconnected before the caller's state goes out of scope.
    context.reset();
    return finished;
}

}  // namespace platform::pulse
