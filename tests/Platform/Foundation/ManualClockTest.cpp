#include "Platform/Foundation/Clock.h"
#include "Platform/Foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using platform::ManualClock;
using platform::RunLoop;

using Firing = std::pair<std::string, double>;  // what fired, and the clock's time then

}  // namespace

TEST(ManualClock, AdvanceFiresEachTimerAtItsDueTimeAndEndsAtTheTarget) {
    auto clock = std::make_shared<ManualClock>(100.0);
    RunLoop loop(clock);
    std::vector<Firing> fired;
    for (double delay : {0.3, 0.1, 0.2, 0.5}) {
        loop.scheduleTimer(delay, [&fired, &clock, delay] {
            fired.emplace_back(std::to_string(delay), clock->now());
        });
    }
    clock->advance(0.3);
    ASSERT_EQ(fired.size(), 3u) << "a timer due exactly at the end of the advance fires";
    EXPECT_DOUBLE_EQ(fired[0].second, 100.1);
    EXPECT_DOUBLE_EQ(fired[1].second, 100.2);
    EXPECT_DOUBLE_EQ(fired[2].second, 100.3);
    EXPECT_DOUBLE_EQ(clock->now(), 100.3);
    EXPECT_EQ(loop.pendingTimerCount(), 1u);
}

TEST(ManualClock, TimersScheduledWhileAdvancingFireWithinTheSameAdvance) {
    auto clock = std::make_shared<ManualClock>();
    RunLoop loop(clock);
    std::vector<Firing> fired;
    auto record = [&](std::string name) { fired.emplace_back(std::move(name), clock->now()); };
    // A fade-in, a delayed call after it, and a fade-out scheduled by that call.
    loop.scheduleTimer(0.2, [&] {
        record("faded in");
        loop.scheduleTimer(1.4, [&] {
            record("delayed call");
            loop.scheduleTimer(0.2, [&] { record("faded out"); });
            loop.scheduleTimer(0, [&] { record("at once"); });
            loop.scheduleTimer(5, [&] { record("beyond"); });
        });
    });
    clock->advance(2.0);
    const std::vector<Firing> expected = {
        {"faded in", 0.2}, {"delayed call", 1.6}, {"at once", 1.6}, {"faded out", 1.8}};
    ASSERT_EQ(fired.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(fired[i].first, expected[i].first);
        EXPECT_NEAR(fired[i].second, expected[i].second, 1e-9) << expected[i].first;
    }
    EXPECT_DOUBLE_EQ(clock->now(), 2.0);
    EXPECT_EQ(loop.pendingTimerCount(), 1u);
}

TEST(ManualClock, TimersOfSeveralLoopsInterleaveInDueOrder) {
    auto clock = std::make_shared<ManualClock>();
    RunLoop first(clock);
    RunLoop second(clock);
    std::vector<std::string> fired;
    first.scheduleTimer(1, [&] { fired.push_back("first@1"); });
    second.scheduleTimer(0.5, [&] { fired.push_back("second@0.5"); });
    first.scheduleTimer(2, [&] { fired.push_back("first@2"); });
    second.scheduleTimer(1.5, [&] { fired.push_back("second@1.5"); });
    clock->advance(3);
    EXPECT_EQ(fired, (std::vector<std::string>{"second@0.5", "first@1", "second@1.5", "first@2"}));
}

TEST(ManualClock, NegativeOrNaNAdvanceMovesNothing) {
    for (double step : {-1.0, std::nan(""), 0.0}) {
        auto clock = std::make_shared<ManualClock>(5.0);
        RunLoop loop(clock);
        int fired = 0;
        loop.scheduleTimer(0, [&] { ++fired; });
        loop.scheduleTimer(1, [&] { ++fired; });
        clock->advance(step);
        EXPECT_EQ(clock->now(), 5.0) << step;
        EXPECT_EQ(fired, 1) << "only the timer due now fires, step " << step;
    }
}

TEST(ManualClock, ALoopThatIsGoneOrMovedOnIsNoLongerDriven) {
    auto clock = std::make_shared<ManualClock>();
    int fired = 0;
    {
        RunLoop loop(clock);
        loop.scheduleTimer(1, [&] { ++fired; });
    }
    RunLoop moved(clock);
    moved.scheduleTimer(1, [&] { ++fired; });
    moved.setClock(nullptr);
    EXPECT_FALSE(moved.clock().isManual());
    clock->advance(2);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(moved.pendingTimerCount(), 1u);
}

TEST(ManualClock, SmallStepsThatAddUpToADueTimeFireItDespiteRounding) {
    // 0.5 + seven steps of 0.2 lands at 1.8999999999999997, not 1.9.
    auto clock = std::make_shared<ManualClock>();
    RunLoop loop(clock);
    clock->advance(0.5);
    int fired = 0;
    loop.scheduleTimer(1.4, [&fired] { ++fired; });
    for (int step = 0; step < 7; ++step) clock->advance(0.2);
    EXPECT_EQ(fired, 1);
    // A timer clearly later than the target still waits.
    loop.scheduleTimer(0.001, [&fired] { ++fired; });
    clock->advance(0.0);
    EXPECT_EQ(fired, 1);
}
