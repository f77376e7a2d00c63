#pragma once

#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>
#include <optional>

namespace platform {

class Application;

// Serves the main run loop (posted events, timers, delayed calls) from inside
// Qt's event loop, so the window and the model share one thread and one loop.
//
// The run loop's wake-up handler may be called from any thread; it only posts
// a queued call to this object's thread. That call serves the due work, re-arms
// one single-shot timer for the next due time, and reports `serviced`. Nothing
// runs while the loop has no work: an idle window wakes for nothing.
//
// When the application has begun to terminate (Application::terminate stops
// the run loop, which wakes us), Qt's loop is told to exit with the status.
class RunLoopBridge : public QObject {
    Q_OBJECT

  public:
    explicit RunLoopBridge(Application& application, QObject* parent = nullptr);
    // Detaches from the run loop; wake-ups that race with this find no target.
    ~RunLoopBridge() override;

    // The interval of the armed timer, in milliseconds; none while nothing is
    // due (or the run loop runs on a manual clock, whose time moves only by hand).
    std::optional<int> armedInterval() const;

    // Serves the due work now, as a wake-up would.
    void serviceNow();

  signals:
    // After every served batch: the model may have changed.
    void serviced();

  private:
    // What the wake-up handler captures: a target that the destructor clears
    // under the lock, so a handler already running on another thread never
    // reaches a destroyed bridge.
    struct WakeTarget;
    void scheduleService();
    void rearm();
    std::optional<int> intervalToNextDueTime() const;
    void quitIfTerminating();

    Application& m_application;
    QTimer m_timer;
    std::shared_ptr<WakeTarget> m_wakeTarget;
};

}  // namespace platform
