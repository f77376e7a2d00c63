#pragma once

#include <string>

// How a change to a board ended: done, cancelled by the user, or failed for a
// reason the user is told.
struct BoardOutcome {
    enum class Ending { kDone, kCancelled, kFailed };

    Ending ending = Ending::kFailed;
    // Why it failed; empty otherwise.
    std::string error;

    bool done() const { return ending == Ending::kDone; }
    bool cancelled() const { return ending == Ending::kCancelled; }

    static BoardOutcome succeeded() { return {Ending::kDone, {}}; }
    static BoardOutcome stopped() { return {Ending::kCancelled, {}}; }
    static BoardOutcome failed(std::string why) { return {Ending::kFailed, std::move(why)}; }
};
