#include "Classes/SPLibrary/SPUtility.h"

#include "Platform/Foundation/Clock.h"
#include "Platform/Foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class Counter {
  public:
    void fire() { ++fired; }
    int fired = 0;
};

class SPUtilityTimerTest : public ::testing::Test {
  protected:
    void SetUp() override { platform::RunLoop::main().setClock(m_clock); }
    std::shared_ptr<platform::ManualClock> m_clock = std::make_shared<platform::ManualClock>();
};

}  // namespace

TEST_F(SPUtilityTimerTest, ZeroDelayFiresOnceAtTheNextTimerService) {
    auto counter = std::make_shared<Counter>();
    auto timer = SPUtility::triggerByTimer(&Counter::fire, counter);
    ASSERT_TRUE(timer);
    EXPECT_EQ(timer->fireDate(), m_clock->now());
    EXPECT_EQ(counter->fired, 0);

    EXPECT_EQ(platform::RunLoop::main().serviceDueWork(), 1u);
    EXPECT_EQ(counter->fired, 1);
    EXPECT_FALSE(timer->isValid());
    platform::RunLoop::main().serviceDueWork();
    m_clock->advance(100);
    EXPECT_EQ(counter->fired, 1);
}

TEST_F(SPUtilityTimerTest, DelayedTriggerFiresWhenDueAndHoldsItsTargetUntilThen) {
    struct Case {
        double delay;
        double firstCheck;  // no call yet this far in
    };
    const Case cases[] = {{1.5, 1.4}, {0.25, 0.2}, {-3, -1}};
    for (const auto& c : cases) {
        auto counter = std::make_shared<Counter>();
        std::weak_ptr<Counter> watch = counter;
        const double start = m_clock->now();
        auto timer = SPUtility::triggerByTimer(&Counter::fire, std::move(counter), c.delay);
        ASSERT_TRUE(timer);
        EXPECT_EQ(timer->fireDate(), start + std::max(c.delay, 0.0)) << c.delay;

        if (c.firstCheck > 0) m_clock->advance(c.firstCheck);
        ASSERT_FALSE(watch.expired()) << "the loop holds the target while the timer waits";
        EXPECT_EQ(watch.lock()->fired, 0) << c.delay;

        auto keep = watch.lock();
        m_clock->advance(std::max(c.delay, 0.0) + 0.01);
        platform::RunLoop::main().serviceDueWork();
        EXPECT_EQ(keep->fired, 1) << c.delay;
        keep.reset();
        EXPECT_TRUE(watch.expired()) << "the target is let go once the call has run";
        m_clock->advance(10);
        EXPECT_EQ(platform::RunLoop::main().pendingTimerCount(), 0u);
    }
}

TEST_F(SPUtilityTimerTest, NullTargetOrMethodSchedulesNothing) {
    EXPECT_FALSE(SPUtility::triggerByTimer(&Counter::fire, std::shared_ptr<Counter>()));
    EXPECT_FALSE(SPUtility::triggerByTimer<Counter>(nullptr, std::make_shared<Counter>(), 1.0));
    EXPECT_EQ(platform::RunLoop::main().pendingTimerCount(), 0u);
}
