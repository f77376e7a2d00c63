#pragma once

#include <vector>

namespace platform {

class RunLoop;

// Time in seconds, on an arbitrary but fixed origin.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual double now() const = 0;
    // True when time moves only by `ManualClock::advance`; a run loop on such a
    // clock never sleeps waiting for a timer.
    virtual bool isManual() const { return false; }
};

// Monotonic wall time (std::chrono::steady_clock). The application's clock.
class SteadyClock final : public Clock {
  public:
    double now() const override;
};

// Time that moves only when a test says so. Attach it to a run loop with
// RunLoop::setClock; `advance` then fires, in due order, every timer of the
// attached loops that falls due within the advance, including timers scheduled
// by timers that fire during it. Each timer fires with now() equal to its due time.
// Posted events are not run by `advance`; they wait for RunLoop::serviceDueWork.
// A negative or NaN advance moves nothing. One thread drives a manual clock.
class ManualClock final : public Clock {
  public:
    explicit ManualClock(double start = 0.0) : m_now(start) {}
    double now() const override { return m_now; }
    bool isManual() const override { return true; }

    void advance(double seconds);

    // Relative tolerance under which a timer counts as due at the end of an advance.
    static constexpr double kDueTolerance = 1e-9;

  private:
    friend class RunLoop;
    void attach(RunLoop* loop);
    void detach(RunLoop* loop);

    double m_now;
    std::vector<RunLoop*> m_loops;  // non-owning; a loop detaches itself before it dies
};

}  // namespace platform
