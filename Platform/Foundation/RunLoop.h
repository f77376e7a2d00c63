#pragma once

#include "Clock.h"
#include "Timer.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {

// The main thread's event loop: posted events and one-shot timers, served one
// at a time, in order (timers by due time, ties in scheduling order). An idle
// loop sleeps until its next timer or a posted event; it never busy-waits.
//
// A window host drives the same loop from its own event loop: it calls
// `serviceDueWork()` when woken and re-arms its own timer for `nextDueTime()`.
//
// Threads: `post`, `stop` and `scheduleTimer` may be called from any thread.
// Everything else, including firing and invalidating timers, belongs to the
// thread that runs the loop. `setClock` is meant for set-up, before the loop runs.
class RunLoop {
  public:
    RunLoop();
    explicit RunLoop(std::shared_ptr<Clock> clock);
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    // The loop of the main thread; lives for the whole process.
    static RunLoop& main();

    // Pending timers keep the time they had left, measured on the new clock.
    // A null clock means a steady one.
    void setClock(std::shared_ptr<Clock> clock);
    Clock& clock() const { return *m_clock; }
    double now() const { return m_clock->now(); }

    // Schedules `action` once, `delaySeconds` from now (negative or NaN counts
    // as 0). An empty action gives a timer that is already invalid.
    std::shared_ptr<Timer> scheduleTimer(double delaySeconds, std::function<void()> action);

    // A delayed call: `method` is called on `receiver` after the delay. The loop
    // holds the receiver (shared ownership) until the call has run, then lets go.
    // A null receiver or method schedules nothing (the timer comes back invalid).
    template <class T>
    std::shared_ptr<Timer> performAfterDelay(std::shared_ptr<T> receiver, void (T::*method)(),
                                             double delaySeconds) {
        if (!receiver || method == nullptr) return scheduleTimer(delaySeconds, nullptr);
        return scheduleTimer(delaySeconds,
                             [receiver = std::move(receiver), method] { ((*receiver).*method)(); });
    }

    // Queues an event to run on the loop's thread. Callable from any thread and
    // from signal-free contexts; wakes a sleeping loop.
    void post(std::function<void()> event);

    // Runs every posted event and every timer due now, posted events first.
    // Work queued by what runs here waits for the next call. Returns how many ran.
    std::size_t serviceDueWork();
    // The due time of the earliest valid timer, if any.
    std::optional<double> nextDueTime() const;
    std::size_t pendingTimerCount() const;

    // Serves events and timers until `stop`; sleeps while idle. Returns the stop status.
    // On a manual clock it sleeps until new work arrives: its timers fire through
    // ManualClock::advance (or once they are due at the clock's current time).
    int run();
    // Ends `run` after the current event. Callable from any thread. A stop that
    // arrives while the loop is not running ends the next `run` at once.
    void stop(int status = 0);
    bool isRunning() const;

    // Called (from the thread that schedules or posts) whenever new work may
    // make the loop wake earlier. The window host uses it to re-arm its timer.
    void setWakeUpHandler(std::function<void()> handler);

    // Drops every timer (invalidating it) and event, the wake-up handler and any
    // pending stop, and returns to a steady clock. For tests.
    void reset();

  private:
    friend class ManualClock;
    // Fires, in order, timers due at or before `until`, setting the manual clock
    // to each timer's due time. Used by ManualClock::advance.
    void fireTimersUntil(double until, ManualClock& clock);
    std::shared_ptr<Timer> popDueTimer(double now);
    // As above, but only timers scheduled before `sequenceLimit`: a timer that
    // keeps rescheduling itself with no delay cannot starve the loop.
    std::shared_ptr<Timer> popDueTimer(double now, std::uint64_t sequenceLimit);
    static bool firesLater(const std::shared_ptr<Timer>& a, const std::shared_ptr<Timer>& b);
    // Runs a timer's action once and releases it (and what it captured) right after.
    static void fire(Timer& timer);
    std::size_t serviceDueWork(bool stopAware);
    std::optional<double> nextDueTimeLocked() const;
    void dropInvalidTimersLocked();
    void wake();

    mutable std::mutex m_mutex;
    std::condition_variable m_wakeUp;
    std::shared_ptr<Clock> m_clock;
    std::vector<std::shared_ptr<Timer>> m_timers;  // min-heap on (fireDate, sequence)
    std::deque<std::function<void()>> m_events;
    std::function<void()> m_wakeUpHandler;
    std::uint64_t m_nextSequence = 0;
    std::uint64_t m_wakeCount = 0;  // bumped by every wake(); a sleeping run() watches it
    bool m_running = false;
    bool m_stopRequested = false;
    int m_stopStatus = 0;
};

}  // namespace platform
