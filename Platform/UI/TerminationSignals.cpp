#include "TerminationSignals.h"

#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/SignalPipe.h"

#include <csignal>
#include <system_error>
#include <thread>

namespace platform {

struct TerminationSignals::State {
    std::function<void()> onSignal;
    SignalPipe pipe{{SIGTERM, SIGINT}};
    std::thread watcher;
    bool active = false;

    void watch() {
        while (pipe.waitForSignals()) {
            for ([[maybe_unused]] int signal : pipe.drain()) RunLoop::main().post(onSignal);
        }
    }
};

TerminationSignals::TerminationSignals(std::function<void()> onSignal)
    : m_state(std::make_unique<State>()) {
    m_state->onSignal = std::move(onSignal);
    if (!m_state->pipe.isActive()) return;
    try {
        m_state->watcher = std::thread([state = m_state.get()] { state->watch(); });
    } catch (const std::system_error&) {
        m_state->pipe.stopWaiting();
        return;
    }
    m_state->active = true;
}

TerminationSignals::~TerminationSignals() {
    // The old dispositions come back first; then the watcher drains what is
    // pending and ends.
    m_state->pipe.stopWaiting();
    if (m_state->watcher.joinable()) m_state->watcher.join();
}

bool TerminationSignals::isActive() const {
    return m_state->active;
}

}  // namespace platform
