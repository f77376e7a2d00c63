#include "Platform/Foundation/Clock.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/UI/View.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

namespace {

using platform::Rect;
using platform::View;

constexpr double kExact = 1e-12;

class AnimationTest : public ::testing::Test {
  protected:
    void SetUp() override { platform::RunLoop::main().setClock(clock); }
    void TearDown() override { platform::RunLoop::main().reset(); }

    // Moves the clock to an absolute instant (never backwards).
    void at(double seconds) { clock->advance(seconds - clock->now()); }

    static void animate(double seconds, int curve, const std::function<void()>& changes) {
        View::beginAnimations("test", nullptr);
        View::setAnimationCurve(curve);
        View::setAnimationDuration(seconds);
        changes();
        View::commitAnimations();
    }

    std::shared_ptr<platform::ManualClock> clock = std::make_shared<platform::ManualClock>();
};

TEST_F(AnimationTest, ChangesOutsideABlockTakeEffectAtOnce) {
    auto view = std::make_shared<View>(Rect{0, 0, 10, 10});
    view->setAlpha(0.25);
    view->setFrame({5, 6, 7, 8});
    EXPECT_EQ(view->presentationAlpha(), 0.25);
    EXPECT_EQ(view->presentationFrame(), (Rect{5, 6, 7, 8}));
    EXPECT_FALSE(view->isAnimating());
}

// The badge flash: a 0.2 s fade-in at the tap, a delayed call at 1.4 s that
// starts a 0.2 s fade-out. The badge is opaque from 0.2 s to 1.4 s.
TEST_F(AnimationTest, FadeInThenDelayedFadeOutShowsExactValuesAtEachInstant) {
    auto badge = std::make_shared<View>();
    badge->setAlpha(0.0);
    animate(0.2, platform::kAnimationCurveEaseInOut, [&] { badge->setAlpha(1.0); });
    platform::RunLoop::main().scheduleTimer(1.4, [&] {
        animate(0.2, platform::kAnimationCurveEaseInOut, [&] { badge->setAlpha(0.0); });
    });

    EXPECT_EQ(badge->alpha(), 1.0) << "the model value changes at the call";
    const struct {
        double at;
        double alpha;
    } instants[] = {
        {0.0, 0.0}, {0.05, 0.129161931}, {0.1, 0.5}, {0.15, 0.870838069}, {0.2, 1.0},
        {0.7, 1.0}, {1.4, 1.0},          {1.5, 0.5}, {1.6, 0.0},          {3.0, 0.0},
    };
    for (const auto& instant : instants) {
        at(instant.at);
        EXPECT_NEAR(badge->presentationAlpha(), instant.alpha, 1e-6) << "at " << instant.at;
    }
    EXPECT_EQ(badge->presentationAlpha(), 0.0);
    EXPECT_FALSE(badge->isAnimating());
}

TEST_F(AnimationTest, EachCurveFollowsItsBezier) {
    const struct {
        int curve;
        double quarter, half, threeQuarters;
    } cases[] = {
        {platform::kAnimationCurveEaseInOut, 0.129161931, 0.5, 0.870838069},
        {platform::kAnimationCurveEaseIn, 0.093464651, 0.315356813, 0.621861869},
        {platform::kAnimationCurveEaseOut, 0.378138131, 0.684643187, 0.906535349},
        {platform::kAnimationCurveLinear, 0.25, 0.5, 0.75},
        {42, 0.129161931, 0.5, 0.870838069},  // unknown curves ease in and out
    };
    for (const auto& c : cases) {
        auto view = std::make_shared<View>();
        view->setAlpha(0.0);
        const double start = clock->now();
        animate(1.0, c.curve, [&] { view->setAlpha(1.0); });
        at(start + 0.25);
        EXPECT_NEAR(view->presentationAlpha(), c.quarter, 1e-6) << "curve " << c.curve;
        at(start + 0.5);
        EXPECT_NEAR(view->presentationAlpha(), c.half, 1e-6) << "curve " << c.curve;
        at(start + 0.75);
        EXPECT_NEAR(view->presentationAlpha(), c.threeQuarters, 1e-6) << "curve " << c.curve;
        at(start + 1.0);
        EXPECT_EQ(view->presentationAlpha(), 1.0) << "curve " << c.curve;
    }
}

TEST_F(AnimationTest, FrameAndAlphaMoveTogether) {
    auto panel = std::make_shared<View>(Rect{30, -60, 260, 50});
    panel->setAlpha(0.0);
    animate(0.3, platform::kAnimationCurveLinear, [&] {
        panel->setAlpha(1.0);
        panel->setFrame({30, 0, 200, 80});
    });
    EXPECT_EQ(panel->frame(), (Rect{30, 0, 200, 80}));
    at(0.15);
    const Rect half = panel->presentationFrame();
    EXPECT_NEAR(half.x, 30, kExact);
    EXPECT_NEAR(half.y, -30, kExact);
    EXPECT_NEAR(half.width, 230, kExact);
    EXPECT_NEAR(half.height, 65, kExact);
    EXPECT_NEAR(panel->presentationAlpha(), 0.5, kExact);
    EXPECT_TRUE(panel->isAnimating());
    at(0.3);
    EXPECT_EQ(panel->presentationFrame(), (Rect{30, 0, 200, 80}));
    EXPECT_EQ(panel->presentationAlpha(), 1.0);
    EXPECT_FALSE(panel->isAnimating());
}

TEST_F(AnimationTest, ASecondAnimationStartsFromTheValueShownMidFlight) {
    auto view = std::make_shared<View>(Rect{0, 0, 10, 10});
    view->setAlpha(0.0);
    animate(1.0, platform::kAnimationCurveLinear, [&] {
        view->setAlpha(1.0);
        view->setFrame({100, 0, 10, 10});
    });
    at(0.5);
    animate(1.0, platform::kAnimationCurveLinear, [&] {
        view->setAlpha(0.0);
        view->setFrame({0, 0, 10, 10});
    });
    const struct {
        double at, alpha, x;
    } instants[] = {{0.5, 0.5, 50}, {1.0, 0.25, 25}, {1.25, 0.125, 12.5}, {1.5, 0.0, 0}};
    for (const auto& instant : instants) {
        at(instant.at);
        EXPECT_NEAR(view->presentationAlpha(), instant.alpha, kExact) << instant.at;
        EXPECT_NEAR(view->presentationFrame().x, instant.x, kExact) << instant.at;
    }
}

TEST_F(AnimationTest, AChangeOutsideABlockCancelsTheAnimationOfThatPropertyOnly) {
    auto view = std::make_shared<View>(Rect{0, 0, 10, 10});
    view->setAlpha(0.0);
    animate(1.0, platform::kAnimationCurveLinear, [&] {
        view->setAlpha(1.0);
        view->setFrame({100, 0, 10, 10});
    });
    at(0.5);
    view->setAlpha(0.3);
    EXPECT_EQ(view->presentationAlpha(), 0.3);
    EXPECT_NEAR(view->presentationFrame().x, 50, kExact) << "the frame still moves";
    at(0.75);
    EXPECT_EQ(view->presentationAlpha(), 0.3);
    EXPECT_NEAR(view->presentationFrame().x, 75, kExact);
    view->setFrame({0, 0, 10, 10});
    EXPECT_EQ(view->presentationFrame(), (Rect{0, 0, 10, 10}));
    EXPECT_FALSE(view->isAnimating());
}

TEST_F(AnimationTest, NestedBlocksStartAtTheOutermostCommitWithTheirOwnTiming) {
    auto inner = std::make_shared<View>();
    auto outer = std::make_shared<View>();
    inner->setAlpha(0.0);
    outer->setAlpha(0.0);

    View::beginAnimations("outer", nullptr);
    View::setAnimationCurve(platform::kAnimationCurveLinear);
    View::setAnimationDuration(1.0);
    View::beginAnimations("inner", nullptr);
    View::setAnimationCurve(platform::kAnimationCurveLinear);
    View::setAnimationDuration(0.2);
    inner->setAlpha(1.0);
    View::commitAnimations();
    outer->setAlpha(1.0);
    at(5.0);  // time passing before the outer commit does not count
    EXPECT_EQ(inner->presentationAlpha(), 0.0);
    EXPECT_TRUE(inner->isAnimating());
    View::commitAnimations();

    at(5.1);
    EXPECT_NEAR(inner->presentationAlpha(), 0.5, kExact);
    EXPECT_NEAR(outer->presentationAlpha(), 0.1, kExact);
    at(5.2);
    EXPECT_EQ(inner->presentationAlpha(), 1.0);
    EXPECT_NEAR(outer->presentationAlpha(), 0.2, kExact);
    EXPECT_NEAR(View::animationsEndTime(), 6.0, kExact);
    at(6.0);
    EXPECT_EQ(outer->presentationAlpha(), 1.0);
}

TEST_F(AnimationTest, DurationAndCurveSetAfterAChangeStillApplyToIt) {
    auto view = std::make_shared<View>();
    view->setAlpha(0.0);
    View::beginAnimations("late", nullptr);
    view->setAlpha(1.0);
    View::setAnimationDuration(2.0);
    View::setAnimationCurve(platform::kAnimationCurveLinear);
    View::commitAnimations();
    at(0.5);
    EXPECT_NEAR(view->presentationAlpha(), 0.25, kExact);
    EXPECT_NEAR(View::animationsEndTime(), 2.0, kExact);
}

TEST_F(AnimationTest, DefaultsAndDegenerateDurations) {
    const struct {
        const char* name;
        std::optional<double> duration;
        double shownAtTenthOfASecond;
    } cases[] = {
        {"default 0.2 s ease-in-out", std::nullopt, 0.5},
        {"zero", 0.0, 1.0},
        {"negative", -3.0, 1.0},
        {"not a number", std::nan(""), 1.0},
        {"infinite", std::numeric_limits<double>::infinity(), 1.0},
    };
    for (const auto& c : cases) {
        auto view = std::make_shared<View>();
        view->setAlpha(0.0);
        const double start = clock->now();
        View::beginAnimations(c.name, nullptr);
        if (c.duration) View::setAnimationDuration(*c.duration);
        view->setAlpha(1.0);
        View::commitAnimations();
        at(start + 0.1);
        EXPECT_NEAR(view->presentationAlpha(), c.shownAtTenthOfASecond, 1e-9) << c.name;
        at(start + 1.0);
    }
}

TEST_F(AnimationTest, AlphaIsClampedAndNotANumberIgnored) {
    const struct {
        double set, expected;
    } cases[] = {{-1.0, 0.0}, {2.0, 1.0}, {0.4, 0.4}, {std::nan(""), 0.4}};
    auto view = std::make_shared<View>();
    for (const auto& c : cases) {
        view->setAlpha(c.set);
        EXPECT_EQ(view->alpha(), c.expected) << c.set;
    }
}

TEST_F(AnimationTest, UnmatchedCommitsAndSettingsOutsideBlocksAreIgnored) {
    View::commitAnimations();
    View::setAnimationDuration(5.0);
    View::setAnimationCurve(platform::kAnimationCurveLinear);
    auto view = std::make_shared<View>();
    view->setAlpha(0.5);
    EXPECT_EQ(view->presentationAlpha(), 0.5);
    EXPECT_FALSE(view->isAnimating());
}

TEST_F(AnimationTest, PerformWithoutAnimationAppliesAtOnceInsideABlock) {
    auto view = std::make_shared<View>();
    View::beginAnimations("block", nullptr);
    View::performWithoutAnimation([&] { view->setAlpha(0.0); });
    EXPECT_EQ(view->presentationAlpha(), 0.0);
    view->setFrame({1, 2, 3, 4});
    View::commitAnimations();
    EXPECT_TRUE(view->isAnimating()) << "changes after it animate again";
}

TEST_F(AnimationTest, AViewReleasedBeforeTheCommitLeavesNothingBehind) {
    auto survivor = std::make_shared<View>();
    survivor->setAlpha(0.0);
    View::beginAnimations("release", nullptr);
    View::setAnimationCurve(platform::kAnimationCurveLinear);
    View::setAnimationDuration(1.0);
    {
        auto released = std::make_shared<View>();
        released->setAlpha(0.0);
        released->setFrame({1, 1, 1, 1});
    }
    survivor->setAlpha(1.0);
    View::commitAnimations();
    at(0.5);
    EXPECT_NEAR(survivor->presentationAlpha(), 0.5, kExact);
}

}  // namespace
