#include "LifecycleTracker.h"

#include "Platform/UI/Application.h"

namespace platform {

bool LifecycleTracker::accepting() const {
    return !m_application.isTerminating();
}

void LifecycleTracker::windowActivated() {
    if (!accepting()) return;
    // Activation of a minimised window restores it first.
    if (m_state == State::kBackground) windowRestored();
    if (m_state != State::kInactive || !accepting()) return;
    m_state = State::kActive;
    m_application.didBecomeActive();
}

void LifecycleTracker::windowDeactivated() {
    if (!accepting() || m_state != State::kActive) return;
    m_state = State::kInactive;
    m_application.willResignActive();
}

void LifecycleTracker::windowMinimized() {
    if (!accepting() || m_state == State::kBackground) return;
    windowDeactivated();
    if (!accepting()) return;
    m_state = State::kBackground;
    m_application.didEnterBackground();
}

void LifecycleTracker::windowRestored() {
    if (!accepting() || m_state != State::kBackground) return;
    m_state = State::kInactive;
    m_application.willEnterForeground();
}

}  // namespace platform
