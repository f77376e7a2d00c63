#pragma once

#include <functional>
#include <memory>

namespace platform {

// While alive, SIGTERM and SIGINT do not kill the process: each one posts
// `onSignal` to the main run loop, where it runs like any other event. The
// handler only writes to a SignalPipe (async-signal-safe); a small thread reads
// the pipe and posts. Only one instance is active at a time; the old signal
// dispositions come back when it goes.
class TerminationSignals {
  public:
    explicit TerminationSignals(std::function<void()> onSignal);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the handlers could not be installed (another instance is active,
    // or no pipe or thread was available); the signals then keep their old effect.
    bool isActive() const;

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace platform
