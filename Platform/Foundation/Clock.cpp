#include "Clock.h"

#include "RunLoop.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <optional>

namespace platform {

double SteadyClock::now() const {
    using Seconds = std::chrono::duration<double>;
    return std::chrono::duration_cast<Seconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void ManualClock::advance(double seconds) {
    // Time never runs backwards, and a NaN step moves nothing.
    const double target = m_now + (seconds > 0.0 ? seconds : 0.0);
    // Steps that add up to a due time (seven advances of 0.2 to reach 1.9) can
    // fall short of it by rounding; a timer due within a nanosecond-scale
    // tolerance of the target counts as due.
    const double dueLimit = target + kDueTolerance * std::max(1.0, std::fabs(target));
    // Fire one due instant at a time across all attached loops, so timers of
    // different loops interleave in due order. A timer that fires may schedule
    // more timers (on any loop) or detach a loop, hence the fresh scan each round.
    for (;;) {
        RunLoop* earliestLoop = nullptr;
        double earliest = std::numeric_limits<double>::infinity();
        for (RunLoop* loop : m_loops) {
            const std::optional<double> due = loop->nextDueTime();
            if (due && *due <= dueLimit && *due < earliest) {
                earliest = *due;
                earliestLoop = loop;
            }
        }
        if (earliestLoop == nullptr) break;
        earliestLoop->fireTimersUntil(earliest, *this);
    }
    m_now = std::max(m_now, target);
}

void ManualClock::attach(RunLoop* loop) {
    if (std::find(m_loops.begin(), m_loops.end(), loop) == m_loops.end()) m_loops.push_back(loop);
}

void ManualClock::detach(RunLoop* loop) {
    std::erase(m_loops, loop);
}

}  // namespace platform
