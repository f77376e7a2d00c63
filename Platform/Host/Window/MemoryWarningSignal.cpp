#include "MemoryWarningSignal.h"

#include "Platform/Foundation/SignalPipe.h"
#include "Platform/UI/Application.h"

#include <QSocketNotifier>

#include <csignal>

namespace platform {

struct MemoryWarningSignal::State {
    SignalPipe pipe{{SIGUSR1}};
    std::unique_ptr<QSocketNotifier> notifier;
};

MemoryWarningSignal::MemoryWarningSignal(Application& application, QObject* parent)
    : QObject(parent), m_application(application), m_state(std::make_unique<State>()) {
    if (!m_state->pipe.isActive()) return;
    m_state->notifier =
        std::make_unique<QSocketNotifier>(m_state->pipe.readDescriptor(), QSocketNotifier::Read);
    connect(m_state->notifier.get(), &QSocketNotifier::activated, this,
            &MemoryWarningSignal::drain);
}

MemoryWarningSignal::~MemoryWarningSignal() {
    // The notifier goes before the pipe it watches.
    m_state->notifier.reset();
}

bool MemoryWarningSignal::isActive() const {
    return m_state->pipe.isActive();
}

void MemoryWarningSignal::drain() {
    // Several signals may have arrived since the last look; each warns once.
    const auto warnings = m_state->pipe.drain();
    for (std::size_t i = 0; i < warnings.size(); ++i) {
        m_application.didReceiveMemoryWarning();
        emit delivered();
    }
}

}  // namespace platform
