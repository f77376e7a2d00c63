#pragma once

#include <optional>
#include <string>

namespace platform {

// Asks the running soundboard, over the session bus, to do one thing, and
// waits for its answer (nothing is started for the call: a soundboard that
// does not run is an error, not a launch).
struct BusClient {
    enum class Result {
        Accepted,
        NotRunning,  // no soundboard owns the name, or there is no bus
        Refused,     // the soundboard answered with an error
    };
    struct Answer {
        Result result = Result::Accepted;
        // For anything but Accepted: the bus error's name (empty without a
        // bus) and its text.
        std::string errorName;
        std::string text;
    };

    // Calls `method` of the soundboard's interface, with one text argument
    // when `argument` is given. `address` empty: the environment's session bus.
    static Answer call(const std::string& method, const std::optional<std::string>& argument,
                       const std::string& address = {});
};

}  // namespace platform
