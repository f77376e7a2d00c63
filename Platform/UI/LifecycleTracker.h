#pragma once

namespace platform {

class Application;

// Turns the window's events into the application's lifecycle events, in the
// order a phone delivers them: an active application resigns before it enters
// the background, and comes back to the foreground before it becomes active
// again. Each event is delivered once per change; repeats are ignored, and so is
// everything after the application has begun to terminate.
class LifecycleTracker {
  public:
    enum class State { kInactive, kActive, kBackground };

    explicit LifecycleTracker(Application& application) : m_application(application) {}

    void windowActivated();
    void windowDeactivated();
    void windowMinimized();
    void windowRestored();

    State state() const { return m_state; }

  private:
    bool accepting() const;
    Application& m_application;
    State m_state = State::kInactive;
};

}  // namespace platform
