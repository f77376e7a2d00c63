#include "SoundServerQuery.h"

#include "PulseExchange.h"
#include "ServerStateReader.h"

namespace platform {

std::optional<SoundServerState> querySoundServer(std::chrono::milliseconds timeout) {
    std::optional<SoundServerState> answer;
    bool finished = false;
    // Outlives the exchange's connection, so no answer arrives after it.
    ServerStateReader reader;
    const bool answered = pulse::exchangeWithServer(
        timeout,
        [&](pa_context* context) {
            return reader.start(context, [&](const SoundServerState* read) {
                if (read != nullptr) answer = *read;
                finished = true;
            });
        },
        [&](pa_context*) { return finished; });
    return answered ? answer : std::nullopt;
}

}  // namespace platform
