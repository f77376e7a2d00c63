#include "RunLoop.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <utility>

namespace platform {

namespace {

// The longest single sleep of an idle loop. A far-off (or infinite) due time is
// approached in steps of this size, which keeps the deadline arithmetic finite.
constexpr double kLongestSleepSeconds = 3600.0;

// Invalidated timers stay in the heap until they reach the top; once the heap
// grows past this size it is swept instead.
constexpr std::size_t kMinimumSweepSize = 64;

ManualClock* asManualClock(const std::shared_ptr<Clock>& clock) {
    return clock && clock->isManual() ? dynamic_cast<ManualClock*>(clock.get()) : nullptr;
}

}  // namespace

// Orders the timer heap so that the earliest due time sits on top, and timers
// due at the same instant leave in the order they were scheduled.
bool RunLoop::firesLater(const std::shared_ptr<Timer>& a, const std::shared_ptr<Timer>& b) {
    if (a->fireDate() != b->fireDate()) return a->fireDate() > b->fireDate();
    return a->m_sequence > b->m_sequence;
}

RunLoop::RunLoop() : m_clock(std::make_shared<SteadyClock>()) {}

RunLoop::RunLoop(std::shared_ptr<Clock> clock) : m_clock(std::make_shared<SteadyClock>()) {
    setClock(std::move(clock));
}

RunLoop::~RunLoop() {
    if (ManualClock* manual = asManualClock(m_clock)) manual->detach(this);
    // Whoever still holds one of our timers sees it invalid, and the receivers
    // of pending delayed calls are released now rather than with the last holder.
    // The lists are taken out before anything is released: a released capture's
    // destructor may schedule or post on this loop again, which must not touch a
    // list being walked or destroyed. Repeat until nothing new arrives.
    for (;;) {
        std::vector<std::shared_ptr<Timer>> timers;
        std::deque<std::function<void()>> events;
        {
            std::lock_guard lock(m_mutex);
            timers.swap(m_timers);
            events.swap(m_events);
        }
        if (timers.empty() && events.empty()) break;
        for (auto& timer : timers) timer->invalidate();
    }
}

RunLoop& RunLoop::main() {
    static RunLoop loop;
    return loop;
}

void RunLoop::setClock(std::shared_ptr<Clock> clock) {
    if (!clock) clock = std::make_shared<SteadyClock>();
    std::shared_ptr<Clock> previous;
    {
        std::lock_guard lock(m_mutex);
        // Pending timers keep the time they had left, measured on the new clock.
        const double oldNow = m_clock->now();
        const double newNow = clock->now();
        for (auto& timer : m_timers) {
            timer->m_fireDate = newNow + std::max(0.0, timer->m_fireDate - oldNow);
        }
        std::make_heap(m_timers.begin(), m_timers.end(), firesLater);
        previous = std::exchange(m_clock, clock);
    }
    if (ManualClock* manual = asManualClock(previous)) manual->detach(this);
    if (ManualClock* manual = asManualClock(clock)) manual->attach(this);
}

std::shared_ptr<Timer> RunLoop::scheduleTimer(double delaySeconds, std::function<void()> action) {
    // Negative and NaN delays both mean "as soon as possible".
    const double delay = delaySeconds > 0.0 ? delaySeconds : 0.0;
    auto timer = std::make_shared<Timer>(0.0, 0, std::move(action));
    if (!timer->isValid()) return timer;
    {
        std::lock_guard lock(m_mutex);
        timer->m_fireDate = m_clock->now() + delay;
        timer->m_sequence = m_nextSequence++;
        m_timers.push_back(timer);
        std::push_heap(m_timers.begin(), m_timers.end(), firesLater);
    }
    wake();
    return timer;
}

void RunLoop::post(std::function<void()> event) {
    if (!event) return;
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(std::move(event));
    }
    wake();
}

void RunLoop::fire(Timer& timer) {
    // Taking the action out first makes the timer invalid while it runs, so an
    // invalidate() from inside the action is harmless, and the action with
    // everything it captured is destroyed as soon as it returns.
    std::function<void()> action = std::exchange(timer.m_action, nullptr);
    if (action) action();
}

std::size_t RunLoop::serviceDueWork() {
    return serviceDueWork(false);
}

std::size_t RunLoop::serviceDueWork(bool stopAware) {
    std::size_t eventCount = 0;
    std::uint64_t sequenceLimit = 0;
    {
        std::lock_guard lock(m_mutex);
        dropInvalidTimersLocked();
        // Work queued while this round runs waits for the next round.
        eventCount = m_events.size();
        sequenceLimit = m_nextSequence;
    }
    std::size_t ran = 0;
    for (std::size_t i = 0; i < eventCount; ++i) {
        std::function<void()> event;
        {
            std::lock_guard lock(m_mutex);
            if ((stopAware && m_stopRequested) || m_events.empty()) return ran;
            event = std::move(m_events.front());
            m_events.pop_front();
        }
        event();
        ++ran;
    }
    for (;;) {
        if (stopAware) {
            std::lock_guard lock(m_mutex);
            if (m_stopRequested) return ran;
        }
        std::shared_ptr<Timer> timer = popDueTimer(now(), sequenceLimit);
        if (!timer) break;
        fire(*timer);
        ++ran;
    }
    return ran;
}

std::shared_ptr<Timer> RunLoop::popDueTimer(double now) {
    return popDueTimer(now, std::numeric_limits<std::uint64_t>::max());
}

std::shared_ptr<Timer> RunLoop::popDueTimer(double now, std::uint64_t sequenceLimit) {
    std::lock_guard lock(m_mutex);
    while (!m_timers.empty()) {
        const std::shared_ptr<Timer>& top = m_timers.front();
        const bool valid = top->isValid();
        if (valid && (top->fireDate() > now || top->m_sequence >= sequenceLimit)) return nullptr;
        std::pop_heap(m_timers.begin(), m_timers.end(), firesLater);
        std::shared_ptr<Timer> popped = std::move(m_timers.back());
        m_timers.pop_back();
        if (valid) return popped;
    }
    return nullptr;
}

void RunLoop::fireTimersUntil(double until, ManualClock& clock) {
    while (std::shared_ptr<Timer> timer = popDueTimer(until)) {
        clock.m_now = std::max(clock.m_now, timer->fireDate());
        fire(*timer);
    }
}

void RunLoop::dropInvalidTimersLocked() {
    if (m_timers.size() < kMinimumSweepSize) return;
    const std::size_t before = m_timers.size();
    std::erase_if(m_timers, [](const std::shared_ptr<Timer>& timer) { return !timer->isValid(); });
    if (m_timers.size() != before) std::make_heap(m_timers.begin(), m_timers.end(), firesLater);
}

std::optional<double> RunLoop::nextDueTime() const {
    std::lock_guard lock(m_mutex);
    return nextDueTimeLocked();
}

std::optional<double> RunLoop::nextDueTimeLocked() const {
    std::optional<double> earliest;
    for (const auto& timer : m_timers) {
        if (timer->isValid() && (!earliest || timer->fireDate() < *earliest)) {
            earliest = timer->fireDate();
        }
    }
    return earliest;
}

std::size_t RunLoop::pendingTimerCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<std::size_t>(
        std::count_if(m_timers.begin(), m_timers.end(),
                      [](const std::shared_ptr<Timer>& timer) { return timer->isValid(); }));
}

int RunLoop::run() {
    {
        std::lock_guard lock(m_mutex);
        m_running = true;
    }
    for (;;) {
        serviceDueWork(true);
        std::unique_lock lock(m_mutex);
        if (m_stopRequested) {
            // The stop request is consumed here, not at entry: a stop() that
            // arrives just before run() begins still ends it.
            m_running = false;
            m_stopRequested = false;
            return m_stopStatus;
        }
        if (!m_events.empty()) continue;
        const std::uint64_t seenWakeCount = m_wakeCount;
        const auto woken = [&] {
            return m_stopRequested || !m_events.empty() || m_wakeCount != seenWakeCount;
        };
        const std::optional<double> due = nextDueTimeLocked();
        if (due && *due <= m_clock->now()) continue;
        // A manual clock only moves by advance(), which fires its timers itself;
        // waiting for such a due time would never end, so wait for new work instead.
        if (!due || m_clock->isManual()) {
            m_wakeUp.wait(lock, woken);
            continue;
        }
        const double wait = std::min(*due - m_clock->now(), kLongestSleepSeconds);
        const auto deadline = std::chrono::steady_clock::now() +
                              std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                  std::chrono::duration<double>(wait));
        m_wakeUp.wait_until(lock, deadline, woken);
    }
}

void RunLoop::stop(int status) {
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = true;
        m_stopStatus = status;
    }
    wake();
}

bool RunLoop::isRunning() const {
    std::lock_guard lock(m_mutex);
    return m_running;
}

void RunLoop::setWakeUpHandler(std::function<void()> handler) {
    std::lock_guard lock(m_mutex);
    m_wakeUpHandler = std::move(handler);
}

void RunLoop::wake() {
    std::function<void()> handler;
    {
        std::lock_guard lock(m_mutex);
        ++m_wakeCount;
        handler = m_wakeUpHandler;
    }
    m_wakeUp.notify_all();
    if (handler) handler();
}

void RunLoop::reset() {
    std::vector<std::shared_ptr<Timer>> timers;
    std::deque<std::function<void()>> events;
    std::function<void()> handler;
    std::shared_ptr<Clock> previous;
    {
        std::lock_guard lock(m_mutex);
        timers.swap(m_timers);
        events.swap(m_events);
        handler.swap(m_wakeUpHandler);
        previous = std::exchange(m_clock, std::make_shared<SteadyClock>());
        m_stopRequested = false;
        m_stopStatus = 0;
    }
    if (ManualClock* manual = asManualClock(previous)) manual->detach(this);
    // Released outside the lock: a dropped action's captures may schedule or
    // post again from their destructors.
    for (auto& timer : timers) timer->invalidate();
}

}  // namespace platform
