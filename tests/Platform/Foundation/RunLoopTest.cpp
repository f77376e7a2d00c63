#include "Platform/Foundation/Clock.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/Timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::ManualClock;
using platform::RunLoop;
using platform::SteadyClock;
using platform::Timer;

class Receiver {
  public:
    void call() { ++calls; }
    int calls = 0;
};

class RunLoopTest : public ::testing::Test {
  protected:
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>(10.0);
    RunLoop loop{clock};
};

}  // namespace

TEST_F(RunLoopTest, TimersFireByDueTimeAndTiesInSchedulingOrder) {
    struct Case {
        double delay;
        std::string label;
    };
    const std::vector<Case> cases = {
        {3, "c1"},        {1, "a1"},   {2, "b1"},
        {1, "a2"},        {0, "zero"}, {3, "c2"},
        {-5, "negative"}, {1, "a3"},   {std::nan(""), "nan"},
    };
    std::vector<std::string> fired;
    for (const auto& c : cases) {
        loop.scheduleTimer(c.delay, [&fired, label = c.label] { fired.push_back(label); });
    }
    clock->advance(3);
    const std::vector<std::string> expected = {"zero", "negative", "nan", "a1", "a2",
                                               "a3",   "b1",       "c1",  "c2"};
    EXPECT_EQ(fired, expected);
    EXPECT_EQ(loop.pendingTimerCount(), 0u);
}

TEST_F(RunLoopTest, ServiceDueWorkRunsPostedEventsThenDueTimers) {
    std::vector<std::string> order;
    loop.scheduleTimer(0, [&] { order.push_back("timer"); });
    loop.scheduleTimer(1, [&] { order.push_back("later"); });
    loop.post([&] {
        order.push_back("event");
        // Work queued from inside a round waits for the next one.
        loop.post([&] { order.push_back("posted inside"); });
        loop.scheduleTimer(0, [&] { order.push_back("scheduled inside"); });
    });
    EXPECT_EQ(loop.serviceDueWork(), 2u);
    EXPECT_EQ(order, (std::vector<std::string>{"event", "timer"}));
    EXPECT_EQ(loop.serviceDueWork(), 2u);
    EXPECT_EQ(order,
              (std::vector<std::string>{"event", "timer", "posted inside", "scheduled inside"}));
    EXPECT_EQ(loop.serviceDueWork(), 0u);
    EXPECT_EQ(loop.pendingTimerCount(), 1u);
    EXPECT_EQ(loop.nextDueTime(), 11.0);
}

TEST_F(RunLoopTest, ATimerThatReschedulesItselfRunsOncePerService) {
    int runs = 0;
    std::function<void()> again = [&] {
        ++runs;
        loop.scheduleTimer(0, again);
    };
    loop.scheduleTimer(0, again);
    for (int round = 1; round <= 3; ++round) {
        EXPECT_EQ(loop.serviceDueWork(), 1u);
        EXPECT_EQ(runs, round);
    }
    loop.reset();
}

TEST_F(RunLoopTest, InvalidatingFromInsideAnActionCancelsOtherTimersAndItself) {
    std::vector<std::string> fired;
    std::shared_ptr<Timer> second;
    std::shared_ptr<Timer> self;
    self = loop.scheduleTimer(1, [&] {
        fired.push_back("first");
        self->invalidate();  // already firing: harmless
        second->invalidate();
    });
    second = loop.scheduleTimer(1, [&] { fired.push_back("second"); });
    auto third = loop.scheduleTimer(2, [&] { fired.push_back("third"); });
    EXPECT_EQ(loop.pendingTimerCount(), 3u);

    clock->advance(5);
    EXPECT_EQ(fired, (std::vector<std::string>{"first", "third"}));
    for (const auto& timer : {self, second, third}) EXPECT_FALSE(timer->isValid());
}

TEST_F(RunLoopTest, InvalidTimersDoNotCountAsPendingOrDue) {
    auto early = loop.scheduleTimer(1, [] {});
    auto late = loop.scheduleTimer(4, [] {});
    EXPECT_EQ(loop.nextDueTime(), 11.0);
    early->invalidate();
    EXPECT_EQ(loop.nextDueTime(), 14.0);
    EXPECT_EQ(loop.pendingTimerCount(), 1u);
    late->invalidate();
    EXPECT_EQ(loop.nextDueTime(), std::nullopt);
    EXPECT_EQ(loop.pendingTimerCount(), 0u);
}

TEST_F(RunLoopTest, ManyInvalidatedTimersAreSweptAndTheRestStillFireInOrder) {
    std::vector<int> fired;
    std::vector<std::shared_ptr<Timer>> timers;
    for (int i = 0; i < 500; ++i) {
        timers.push_back(loop.scheduleTimer(100 + i, [&fired, i] { fired.push_back(i); }));
    }
    for (int i = 0; i < 500; ++i) {
        if (i % 7 != 0) timers[static_cast<std::size_t>(i)]->invalidate();
    }
    loop.serviceDueWork();
    EXPECT_EQ(loop.pendingTimerCount(), 72u);
    clock->advance(1000);
    ASSERT_EQ(fired.size(), 72u);
    for (std::size_t k = 0; k < fired.size(); ++k) EXPECT_EQ(fired[k], static_cast<int>(7 * k));
}

TEST_F(RunLoopTest, DelayedCallHoldsItsReceiverUntilItHasRun) {
    auto receiver = std::make_shared<Receiver>();
    std::weak_ptr<Receiver> watch = receiver;
    auto timer = loop.performAfterDelay(std::move(receiver), &Receiver::call, 1.4);
    ASSERT_TRUE(timer->isValid());

    clock->advance(1.39);
    ASSERT_FALSE(watch.expired()) << "the pending call keeps its receiver";
    EXPECT_EQ(watch.lock()->calls, 0);

    auto observer = watch.lock();
    clock->advance(0.01);
    EXPECT_EQ(observer->calls, 1);
    EXPECT_FALSE(timer->isValid());
    observer.reset();
    EXPECT_TRUE(watch.expired()) << "released once the call has run, though the timer lives on";
}

TEST_F(RunLoopTest, InvalidatedOrDroppedDelayedCallsReleaseTheirReceivers) {
    auto invalidated = std::make_shared<Receiver>();
    std::weak_ptr<Receiver> invalidatedWatch = invalidated;
    auto timer = loop.performAfterDelay(std::move(invalidated), &Receiver::call, 2);
    timer->invalidate();
    EXPECT_TRUE(invalidatedWatch.expired());

    auto dropped = std::make_shared<Receiver>();
    std::weak_ptr<Receiver> droppedWatch = dropped;
    auto pending = loop.performAfterDelay(std::move(dropped), &Receiver::call, 2);
    loop.reset();
    EXPECT_TRUE(droppedWatch.expired());
    EXPECT_FALSE(pending->isValid());
    EXPECT_FALSE(loop.clock().isManual());
}

TEST(RunLoop, DestroyingTheLoopReleasesPendingWorkEvenWhenItsCapturesScheduleMore) {
    // A capture that, when released, schedules and posts on the loop it was pending on.
    struct SchedulesOnRelease {
        SchedulesOnRelease(RunLoop& on, std::shared_ptr<int> count)
            : loop(&on), releases(std::move(count)) {}
        SchedulesOnRelease(const SchedulesOnRelease&) = delete;
        SchedulesOnRelease& operator=(const SchedulesOnRelease&) = delete;
        RunLoop* loop;
        std::shared_ptr<int> releases;
        ~SchedulesOnRelease() {
            ++*releases;
            for (int i = 0; i < 100; ++i) loop->scheduleTimer(1, [] {});
            loop->post([] {});
        }
    };
    auto releases = std::make_shared<int>(0);
    std::vector<std::shared_ptr<Timer>> pending;
    {
        RunLoop loop;
        for (int i = 0; i < 3; ++i) {
            auto timerCapture = std::make_shared<SchedulesOnRelease>(loop, releases);
            pending.push_back(loop.scheduleTimer(5 + i, [capture = std::move(timerCapture)] {}));
            auto eventCapture = std::make_shared<SchedulesOnRelease>(loop, releases);
            loop.post([capture = std::move(eventCapture)] {});
        }
    }
    EXPECT_EQ(*releases, 6);
    for (const auto& timer : pending) EXPECT_FALSE(timer->isValid());
}

TEST_F(RunLoopTest, DelayedCallWithoutReceiverSchedulesNothing) {
    auto timer = loop.performAfterDelay(std::shared_ptr<Receiver>(), &Receiver::call, 1);
    EXPECT_FALSE(timer->isValid());
    EXPECT_EQ(loop.pendingTimerCount(), 0u);
    clock->advance(2);
}

TEST_F(RunLoopTest, ChangingTheClockKeepsTheTimeLeftOnPendingTimers) {
    int fired = 0;
    loop.scheduleTimer(5, [&] { ++fired; });
    clock->advance(2);
    auto later = std::make_shared<ManualClock>(1000.0);
    loop.setClock(later);
    EXPECT_EQ(loop.nextDueTime(), 1003.0);
    clock->advance(10);  // the old clock no longer drives this loop
    EXPECT_EQ(fired, 0);
    later->advance(3);
    EXPECT_EQ(fired, 1);
}

TEST_F(RunLoopTest, WakeUpHandlerHearsOfNewWork) {
    int wakeUps = 0;
    loop.setWakeUpHandler([&] { ++wakeUps; });
    loop.post([] {});
    loop.scheduleTimer(1, [] {});
    EXPECT_EQ(wakeUps, 2);
    loop.reset();
    loop.post([] {});
    EXPECT_EQ(wakeUps, 2) << "reset drops the handler";
}

TEST(RunLoop, RunEndsOnStopFromAnotherThreadOrFromAnEvent) {
    struct Case {
        std::string how;
        int status;
    };
    for (const Case& c : {Case{"stop", 3}, Case{"post", 7}, Case{"timer", 9}}) {
        RunLoop loop;
        std::atomic<bool> served{false};
        loop.post([&] { served = true; });
        std::thread other([&] {
            if (c.how == "stop") loop.stop(c.status);
            if (c.how == "post") loop.post([&] { loop.stop(c.status); });
            if (c.how == "timer") loop.scheduleTimer(0, [&] { loop.stop(c.status); });
        });
        EXPECT_EQ(loop.run(), c.status) << c.how;
        other.join();
        EXPECT_FALSE(loop.isRunning());
        // A stop arriving before run() began may end it first; otherwise the event ran.
        if (c.how != "stop") {
            EXPECT_TRUE(served) << c.how;
        }
    }
}

TEST(RunLoop, RunServesEventsPostedFromManyThreadsUntilStopped) {
    RunLoop loop;
    constexpr int kThreads = 4;
    constexpr int kEventsEach = 500;
    std::atomic<int> served{0};
    std::atomic<int> finishedThreads{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kEventsEach; ++i) loop.post([&] { ++served; });
            if (++finishedThreads == kThreads) loop.post([&] { loop.stop(); });
        });
    }
    EXPECT_EQ(loop.run(), 0);
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(served, kThreads * kEventsEach);
}

TEST(RunLoop, StopBeforeRunEndsTheNextRunOnly) {
    RunLoop loop;
    loop.stop(4);
    EXPECT_EQ(loop.run(), 4);
    loop.post([&] { loop.stop(5); });
    EXPECT_EQ(loop.run(), 5);
}

TEST(RunLoop, RunOnAManualClockWaitsForAdvanceInsteadOfSleepingTowardsTimers) {
    auto clock = std::make_shared<ManualClock>();
    RunLoop loop(clock);
    bool fired = false;
    loop.scheduleTimer(30, [&] { fired = true; });
    // The loop must not wait 30 real seconds: the advance from the other thread
    // fires the timer, and the event it posts stops the loop.
    std::thread driver([&] {
        loop.post([&] {
            clock->advance(30);
            loop.stop(1);
        });
    });
    EXPECT_EQ(loop.run(), 1);
    driver.join();
    EXPECT_TRUE(fired);
}

TEST(RunLoop, MainIsOneLoopForTheProcessOnASteadyClockByDefault) {
    EXPECT_EQ(&RunLoop::main(), &RunLoop::main());
    EXPECT_FALSE(RunLoop::main().clock().isManual());
    const double before = RunLoop::main().now();
    EXPECT_GE(SteadyClock().now(), before);
}
