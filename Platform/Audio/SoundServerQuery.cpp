#include "SoundServerQuery.h"

#include "PulseHandles.h"
#include "ServerStateReader.h"

namespace platform {

std::optional<SoundServerState> querySoundServer(std::chrono::milliseconds timeout) {
    pulse::MainloopPtr loop(pa_mainloop_new());
    if (!loop) return std::nullopt;
    pulse::ContextPtr context = pulse::makeContext(pa_mainloop_get_api(loop.get()));
    if (!context) return std::nullopt;
    if (pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        return std::nullopt;
    }

    std::optional<SoundServerState> answer;
    bool finished = false;
    bool asked = false;
    ServerStateReader reader;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!finished) {
        const pa_context_state_t state = pa_context_get_state(context.get());
        if (!PA_CONTEXT_IS_GOOD(state)) break;
        if (state == PA_CONTEXT_READY && !asked) {
            asked = true;
            const bool sent = reader.start(context.get(), [&](const SoundServerState* read) {
                if (read != nullptr) answer = *read;
                finished = true;
            });
            if (!sent) break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        if (pa_mainloop_prepare(loop.get(), static_cast<int>(left.count())) < 0 ||
            pa_mainloop_poll(loop.get()) < 0 || pa_mainloop_dispatch(loop.get()) < 0) {
            break;
        }
    }
    // The context goes before the reader and the loop: no answer arrives late.
    context.reset();
    return finished ? answer : std::nullopt;
}

}  // namespace platform
