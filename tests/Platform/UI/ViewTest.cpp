#include "Platform/UI/Button.h"
#include "Platform/UI/Label.h"
#include "Platform/UI/ScrollView.h"
#include "Platform/UI/View.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

using platform::Point;
using platform::Rect;
using platform::View;

std::shared_ptr<View> named(std::string name, Rect frame) {
    auto view = std::make_shared<View>(frame);
    view->setLayoutId(std::move(name));
    return view;
}

class CountingButton : public platform::Button {
  public:
    void tapAt(Point point) override {
        taps.push_back(point);
        Button::tapAt(point);
    }
    std::vector<Point> taps;
};

TEST(ViewTest, ASubviewsSuperviewIsClearedWhenTheParentDies) {
    auto child = std::make_shared<View>();
    auto grandchild = std::make_shared<View>();
    {
        auto parent = std::make_shared<View>();
        parent->addSubview(child);
        child->addSubview(grandchild);
        EXPECT_EQ(child->superview(), parent.get());
    }
    EXPECT_EQ(child->superview(), nullptr);
    EXPECT_EQ(grandchild->superview(), child.get()) << "only the dead parent's link goes";
}

TEST(ViewTest, AddingMovesAViewAndKeepsOrder) {
    auto first = std::make_shared<View>();
    auto second = std::make_shared<View>();
    auto a = named("a", {});
    auto b = named("b", {});
    first->addSubview(a);
    first->addSubview(b);
    second->addSubview(a);
    ASSERT_EQ(first->subviews().size(), 1u);
    EXPECT_EQ(first->subviews()[0], b);
    EXPECT_EQ(a->superview(), second.get());

    first->addSubview(a);
    first->addSubview(b);  // already there: moves to the front
    ASSERT_EQ(first->subviews().size(), 2u);
    EXPECT_EQ(first->subviews()[0], a);
    EXPECT_EQ(first->subviews()[1], b);
    EXPECT_TRUE(second->subviews().empty());
}

TEST(ViewTest, AddingItselfAnAncestorOrNothingIsIgnored) {
    auto root = std::make_shared<View>();
    auto child = std::make_shared<View>();
    auto grandchild = std::make_shared<View>();
    root->addSubview(child);
    child->addSubview(grandchild);

    grandchild->addSubview(root);
    grandchild->addSubview(grandchild);
    child->addSubview(nullptr);
    EXPECT_TRUE(grandchild->subviews().empty());
    EXPECT_EQ(root->superview(), nullptr);
    EXPECT_EQ(child->subviews().size(), 1u);
}

TEST(ViewTest, RemovingTheLastReferenceThroughRemoveFromSuperviewIsSafe) {
    auto root = std::make_shared<View>();
    std::weak_ptr<View> weak;
    {
        auto child = std::make_shared<View>();
        weak = child;
        root->addSubview(std::move(child));
    }
    weak.lock()->removeFromSuperview();
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(root->subviews().empty());
}

TEST(ViewTest, FindViewSearchesDepthFirstByIdOrName) {
    auto root = named("root", {});
    auto left = named("left", {});
    auto deep = named("deep", {});
    auto right = named("right", {});
    deep->setAccessibilityName("Play");
    right->setAccessibilityName("Play");
    root->addSubview(left);
    left->addSubview(deep);
    root->addSubview(right);

    const struct {
        const char* query;
        std::shared_ptr<View> expected;
    } cases[] = {
        {"root", root}, {"deep", deep},    {"right", right},
        {"Play", deep}, {"none", nullptr}, {"", nullptr},
    };
    for (const auto& c : cases) EXPECT_EQ(root->findView(c.query), c.expected) << c.query;
}

// root 320x480
//   button (10,10,100,100)
//   cover  (60,60,100,100)   a plain view over part of the button
//   scroll (0,200,320,200), content offset (0,100)
//     inner (0,150,100,100)  shown at y 50..150 of the scroll view
TEST(ViewTest, HitTestingFindsTheDeepestVisibleView) {
    auto root = named("root", {0, 0, 320, 480});
    auto button = std::make_shared<platform::Button>(Rect{10, 10, 100, 100});
    button->setLayoutId("button");
    auto cover = named("cover", {60, 60, 100, 100});
    auto scroll = std::make_shared<platform::ScrollView>(Rect{0, 200, 320, 200});
    scroll->setLayoutId("scroll");
    scroll->setContentSize({320, 1000});
    scroll->setContentOffset({0, 100});
    auto inner = named("inner", {0, 150, 100, 100});
    root->addSubview(button);
    root->addSubview(cover);
    root->addSubview(scroll);
    scroll->addSubview(inner);

    const struct {
        const char* name;
        std::function<void()> setup;
        Point point;
        const char* expected;
    } cases[] = {
        {"button", [] {}, {20, 20}, "button"},
        {"cover over the button", [] {}, {70, 70}, "cover"},
        {"hidden cover", [&] { cover->setHidden(true); }, {70, 70}, "button"},
        {"transparent cover", [&] { cover->setAlpha(0.0); }, {70, 70}, "button"},
        {"cover just below the alpha limit", [&] { cover->setAlpha(0.009); }, {70, 70}, "button"},
        {"cover just above the alpha limit", [&] { cover->setAlpha(0.011); }, {70, 70}, "cover"},
        {"non-interactive cover",
         [&] { cover->setUserInteractionEnabled(false); },
         {70, 70},
         "button"},
        {"hidden button", [&] { button->setHidden(true); }, {20, 20}, "root"},
        {"scrolled content", [] {}, {10, 260}, "inner"},
        {"scrolled away content", [] {}, {10, 210}, "scroll"},
        {"outside the root", [] {}, {-1, 10}, nullptr},
        {"hidden root", [&] { root->setHidden(true); }, {20, 20}, nullptr},
    };
    for (const auto& c : cases) {
        for (const auto& view : {root, std::shared_ptr<View>(button), cover}) {
            view->setHidden(false);
            view->setAlpha(1.0);
            view->setUserInteractionEnabled(true);
        }
        c.setup();
        View* hit = root->hitTest(c.point);
        if (!c.expected) {
            EXPECT_EQ(hit, nullptr) << c.name;
        } else {
            ASSERT_NE(hit, nullptr) << c.name;
            EXPECT_EQ(hit->layoutId(), c.expected) << c.name;
        }
    }
}

TEST(ViewTest, ConvertingPointsAccountsForFramesAndScrollOffsets) {
    auto root = named("root", {0, 0, 320, 480});
    auto scroll = std::make_shared<platform::ScrollView>(Rect{10, 200, 300, 200});
    scroll->setContentSize({300, 1000});
    scroll->setContentOffset({0, 120});
    auto inner = named("inner", {5, 300, 100, 100});
    root->addSubview(scroll);
    scroll->addSubview(inner);

    EXPECT_EQ(inner->convertPointToAncestor({1, 2}, scroll.get()), (Point{6, 182}));
    EXPECT_EQ(inner->convertPointToAncestor({1, 2}, nullptr), (Point{16, 382}));
    EXPECT_EQ(inner->convertPointToAncestor({1, 2}, inner.get()), (Point{1, 2}));
}

TEST(ViewTest, DeliverTapGivesTheTapToTheNearestViewThatTakesTaps) {
    auto root = named("root", {0, 0, 320, 480});
    auto button = std::make_shared<CountingButton>();
    button->setFrame({100, 100, 100, 50});
    auto label = std::make_shared<platform::Label>(Rect{10, 10, 50, 20});
    button->addSubview(label);
    auto cover = named("cover", {0, 300, 320, 100});
    auto coveredButton = std::make_shared<CountingButton>();
    coveredButton->setFrame({0, 300, 320, 100});
    root->addSubview(button);
    root->addSubview(coveredButton);
    root->addSubview(cover);

    EXPECT_TRUE(root->deliverTap({115, 115})) << "a tap on the label goes to its button";
    ASSERT_EQ(button->taps.size(), 1u);
    EXPECT_EQ(button->taps[0], (Point{15, 15})) << "in the button's coordinates";

    EXPECT_FALSE(root->deliverTap({10, 350})) << "a plain view over a button keeps the tap";
    EXPECT_TRUE(coveredButton->taps.empty());
    EXPECT_FALSE(root->deliverTap({5, 5}));
    EXPECT_FALSE(root->deliverTap({500, 5}));
}

TEST(ViewTest, FramesWithNonFiniteComponentsBecomeZero) {
    const double nan = std::nan("");
    const double inf = INFINITY;
    auto view = std::make_shared<View>(Rect{nan, 1, inf, -inf});
    EXPECT_EQ(view->frame(), (Rect{0, 1, 0, 0}));
    view->setFrame({2, nan, 3, inf});
    EXPECT_EQ(view->frame(), (Rect{2, 0, 3, 0}));
    EXPECT_EQ(view->bounds(), (Rect{0, 0, 3, 0}));
}

}  // namespace
