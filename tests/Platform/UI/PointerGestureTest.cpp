// The mouse on the window, without a window: presses, moves, releases and the
// wheel, given as plain points, become taps and scrolls of a real scroll view.

#include "Platform/UI/PointerGesture.h"
#include "Platform/UI/ScrollView.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using platform::Point;
using platform::PointerGesture;

constexpr double kScale = 2.0;  // window points per canvas point
constexpr double kStartOffset = 500.0;

// A window of one scroll view, shown at kScale, whose taps are recorded.
class RecordingSurface final : public PointerGesture::Surface {
  public:
    RecordingSurface() {
        scrollView->setFrame({0, 0, 100, 100});
        scrollView->setContentSize({100, 2000});
        scrollView->setContentOffset({0, kStartOffset});
    }
    double scale() const override { return kScale; }
    std::shared_ptr<platform::ScrollView> scrollViewAt(Point) override {
        return overScrollView ? scrollView : nullptr;
    }
    void pressBegan(Point) override { ++held; }
    void pressMoved(Point, bool dragging) override { lastMoveDragged = dragging; }
    void pressEnded() override { --held; }
    PointerGesture::Tap tap(Point point) override {
        taps.push_back(point);
        return {"row", tapsOpenURLs};
    }
    void redraw() override { ++redraws; }

    std::shared_ptr<platform::ScrollView> scrollView = std::make_shared<platform::ScrollView>();
    bool overScrollView = true;
    bool tapsOpenURLs = false;
    std::vector<Point> taps;
    int held = 0;
    bool lastMoveDragged = false;
    int redraws = 0;
};

enum class Do { kPress, kMove, kRelease, kDoubleClick, kCancel };
struct Step {
    Do action;
    Point point;
};

TEST(PointerGestureTest, PressesBecomeTapsOrDragsAtTheThreshold) {
    const struct {
        const char* name;
        bool tapsOpenURLs;
        std::vector<Step> steps;
        std::vector<Point> taps;
        double offset;  // the scroll view's vertical offset after the steps
    } cases[] = {
        {"a still click taps",
         false,
         {{Do::kPress, {10, 10}}, {Do::kRelease, {10, 10}}},
         {{10, 10}},
         kStartOffset},
        {"just short of the threshold still taps where released",
         false,
         {{Do::kPress, {10, 10}}, {Do::kMove, {10, 15.9}}, {Do::kRelease, {10, 15.9}}},
         {{10, 15.9}},
         kStartOffset},
        {"at the threshold it drags: the content follows, halved by the scale, and no tap",
         false,
         {{Do::kPress, {10, 10}}, {Do::kMove, {10, 16}}, {Do::kRelease, {10, 16}}},
         {},
         kStartOffset - 3},
        {"the threshold is a distance, not one axis",
         false,
         {{Do::kPress, {0, 0}}, {Do::kMove, {3.6, 4.8}}, {Do::kRelease, {3.6, 4.8}}},
         {},
         kStartOffset - 2.4},
        {"a drag goes on from where it last was",
         false,
         {{Do::kPress, {10, 50}},
          {Do::kMove, {10, 40}},
          {Do::kMove, {10, 30}},
          {Do::kMove, {10, 34}},
          {Do::kRelease, {10, 34}}},
         {},
         kStartOffset + 8},
        {"moving back under the threshold is still a drag",
         false,
         {{Do::kPress, {10, 10}},
          {Do::kMove, {10, 20}},
          {Do::kMove, {10, 10}},
          {Do::kRelease, {10, 10}}},
         {},
         kStartOffset},
        {"a release without a press taps nothing",
         false,
         {{Do::kRelease, {5, 5}}},
         {},
         kStartOffset},
        {"a move without a press scrolls nothing", false, {{Do::kMove, {5, 50}}}, {}, kStartOffset},
        {"a cancelled press taps nothing",
         false,
         {{Do::kPress, {5, 5}}, {Do::kCancel, {}}, {Do::kRelease, {5, 5}}},
         {},
         kStartOffset},
        {"a double click taps twice",
         false,
         {{Do::kPress, {5, 5}},
          {Do::kRelease, {5, 5}},
          {Do::kPress, {5, 5}},
          {Do::kDoubleClick, {5, 5}},
          {Do::kRelease, {5, 5}}},
         {{5, 5}, {5, 5}},
         kStartOffset},
        {"a double click on a link opens it once",
         true,
         {{Do::kPress, {5, 5}},
          {Do::kRelease, {5, 5}},
          {Do::kPress, {5, 5}},
          {Do::kDoubleClick, {5, 5}},
          {Do::kRelease, {5, 5}}},
         {{5, 5}},
         kStartOffset},
        {"a double click reported alone starts its own press",
         false,
         {{Do::kDoubleClick, {7, 7}}, {Do::kRelease, {7, 7}}},
         {{7, 7}},
         kStartOffset},
        {"after a drag the next double click taps again",
         true,
         {{Do::kPress, {5, 5}},
          {Do::kRelease, {5, 5}},
          {Do::kPress, {5, 5}},
          {Do::kMove, {5, 25}},
          {Do::kRelease, {5, 25}},
          {Do::kPress, {5, 5}},
          {Do::kDoubleClick, {5, 5}},
          {Do::kRelease, {5, 5}}},
         {{5, 5}, {5, 5}},
         kStartOffset - 10},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        RecordingSurface surface;
        surface.tapsOpenURLs = item.tapsOpenURLs;
        PointerGesture gesture(surface);
        for (const Step& step : item.steps) {
            switch (step.action) {
                case Do::kPress:
                    gesture.press(step.point);
                    break;
                case Do::kMove:
                    gesture.move(step.point);
                    break;
                case Do::kRelease:
                    gesture.release(step.point);
                    break;
                case Do::kDoubleClick:
                    gesture.doubleClick(step.point);
                    break;
                case Do::kCancel:
                    gesture.cancel();
                    break;
            }
        }
        EXPECT_EQ(surface.taps, item.taps);
        EXPECT_DOUBLE_EQ(surface.scrollView->contentOffset().y, item.offset);
        EXPECT_FALSE(gesture.isPressed()) << "every case ends its press";
    }
}

TEST(PointerGestureTest, TheHeldControlLetsGoOnceThePressDrags) {
    RecordingSurface surface;
    PointerGesture gesture(surface);
    gesture.press({10, 10});
    EXPECT_EQ(surface.held, 1);
    gesture.move({10, 12});
    EXPECT_FALSE(surface.lastMoveDragged);
    EXPECT_FALSE(gesture.isDragging());
    gesture.move({10, 30});
    EXPECT_TRUE(surface.lastMoveDragged);
    EXPECT_TRUE(gesture.isDragging());
    gesture.release({10, 30});
    EXPECT_EQ(surface.held, 0);
}

TEST(PointerGestureTest, TheWheelScrollsTheViewUnderThePointer) {
    const struct {
        const char* name;
        bool overScrollView;
        Point pixels;
        Point angle;
        bool scrolled;
        double offset;
    } cases[] = {
        {"a notch away from the user shows what is above",
         true,
         {},
         {0, 120},
         true,
         kStartOffset - PointerGesture::kWheelStep},
        {"a notch towards the user shows what is below",
         true,
         {},
         {0, -120},
         true,
         kStartOffset + PointerGesture::kWheelStep},
        {"half a notch moves half as far",
         true,
         {},
         {0, -60},
         true,
         kStartOffset + PointerGesture::kWheelStep / 2},
        {"a touchpad's pixels follow the fingers through the scale",
         true,
         {0, -20},
         {0, 120},
         true,
         kStartOffset + 10},
        {"nothing to scroll there", false, {}, {0, 120}, false, kStartOffset},
        {"past the end the view stops at its edge", true, {}, {0, 120 * 20}, true, 0},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        RecordingSurface surface;
        surface.overScrollView = item.overScrollView;
        PointerGesture gesture(surface);
        EXPECT_EQ(gesture.wheel({50, 50}, item.pixels, item.angle), item.scrolled);
        EXPECT_DOUBLE_EQ(surface.scrollView->contentOffset().y, item.offset);
        EXPECT_EQ(surface.redraws, item.scrolled ? 1 : 0);
        EXPECT_TRUE(surface.taps.empty());
    }
}

}  // namespace
