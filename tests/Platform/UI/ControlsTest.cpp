#include "Platform/Graphics/Image.h"
#include "Platform/UI/Action.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/Button.h"
#include "Platform/UI/ImageView.h"
#include "Platform/UI/ScrollView.h"
#include "Platform/UI/Switch.h"
#include "Platform/UI/TableViewCell.h"
#include "Platform/UI/Window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <optional>

namespace {

using platform::Action;
using platform::Point;
using platform::Rect;

// A page-like target: counts how often its action ran.
class Target {
  public:
    void act() { ++calls; }
    int calls = 0;
};

TEST(ControlsTest, SetOnFromCodeNeverRunsTheActionButAUsersToggleDoes) {
    auto target = std::make_shared<Target>();
    auto control = std::make_shared<platform::Switch>();
    control->setAction(Action(target, &Target::act));

    control->setOn(true);
    control->setOn(true, true);
    control->setOn(false);
    EXPECT_EQ(target->calls, 0);
    EXPECT_FALSE(control->isOn());

    const struct {
        const char* name;
        std::function<void()> userAction;
    } userActions[] = {
        {"toggle", [&] { control->toggle(); }},
        {"tap",
         [&] {
             control->tapAt({1, 1});
         }},
        {"delivered tap",
         [&] {
             control->deliverTap({1, 1});
         }},
    };
    control->setFrame({0, 0, 50, 30});
    bool expectedOn = false;
    int expectedCalls = 0;
    for (const auto& action : userActions) {
        action.userAction();
        expectedOn = !expectedOn;
        ++expectedCalls;
        EXPECT_EQ(control->isOn(), expectedOn) << action.name;
        EXPECT_EQ(target->calls, expectedCalls) << action.name;
    }
}

TEST(ControlsTest, ActionsOfAReleasedTargetDoNothing) {
    auto target = std::make_shared<Target>();
    Action action(target, &Target::act);
    auto button = std::make_shared<platform::Button>(Rect{0, 0, 10, 10});
    button->setAction(action);
    auto control = std::make_shared<platform::Switch>();
    control->setAction(action);
    target.reset();

    EXPECT_TRUE(static_cast<bool>(action));
    button->tapAt({1, 1});
    control->toggle();
    EXPECT_TRUE(control->isOn()) << "the switch still flips";
    EXPECT_FALSE(static_cast<bool>(Action()));
    Action()();  // an empty action is harmless
}

TEST(ControlsTest, AButtonRunsItsActionOnATapWhileEnabled) {
    auto target = std::make_shared<Target>();
    auto window = std::make_shared<platform::Window>(Rect{0, 0, 320, 480});
    auto button = std::make_shared<platform::Button>(Rect{110, 100, 100, 100});
    button->setAction(Action(target, &Target::act));
    window->addSubview(button);

    EXPECT_TRUE(window->deliverTap({150, 150}));
    EXPECT_EQ(target->calls, 1);
    button->setEnabled(false);
    EXPECT_TRUE(window->deliverTap({150, 150})) << "a disabled button still covers";
    EXPECT_EQ(target->calls, 1);
    button->setEnabled(true);
    button->sendActions();
    EXPECT_EQ(target->calls, 2);
    EXPECT_FALSE(window->deliverTap({50, 50}));
    EXPECT_EQ(target->calls, 2);
}

TEST(ControlsTest, BarButtonItemsNameThemselvesAndRunTheirAction) {
    auto target = std::make_shared<Target>();
    const Action action(target, &Target::act);
    auto image = platform::Image::imageNamed("love.png");
    ASSERT_TRUE(image);

    const struct {
        const char* name;
        std::shared_ptr<platform::BarButtonItem> item;
        std::optional<int> systemItem;
        const char* accessibilityName;
    } cases[] = {
        {"add", platform::BarButtonItem::initWithBarButtonSystemItem(4, action), 4, "Add"},
        {"trash", platform::BarButtonItem::initWithBarButtonSystemItem(16, action), 16, "Trash"},
        {"unknown system item", platform::BarButtonItem::initWithBarButtonSystemItem(99, action),
         99, ""},
        {"image", platform::BarButtonItem::initWithImage(image, 0, action), std::nullopt,
         "love.png"},
        {"no image", platform::BarButtonItem::initWithImage(nullptr, 0, action), std::nullopt, ""},
    };
    int expectedCalls = 0;
    for (const auto& c : cases) {
        ASSERT_TRUE(c.item) << c.name;
        EXPECT_EQ(c.item->systemItem(), c.systemItem) << c.name;
        EXPECT_EQ(c.item->accessibilityName(), c.accessibilityName) << c.name;
        EXPECT_EQ(c.item->style(), platform::kBarButtonItemStylePlain) << c.name;
        c.item->tap();
        EXPECT_EQ(target->calls, ++expectedCalls) << c.name;
    }
    EXPECT_EQ(cases[3].item->image(), image);
}

TEST(ControlsTest, AWindowBecomesTheKeyWindowWhenMadeKeyAndVisible) {
    auto first = std::make_shared<platform::Window>(Rect{0, 0, 320, 480});
    auto second = std::make_shared<platform::Window>(Rect{0, 0, 320, 480});
    EXPECT_FALSE(first->isVisible());
    EXPECT_FALSE(first->isKeyWindow());

    first->makeKeyAndVisible();
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->isKeyWindow());
    EXPECT_EQ(platform::Application::sharedApplication().keyWindow(), first.get());

    second->makeKeyAndVisible();
    EXPECT_TRUE(second->isKeyWindow());
    EXPECT_FALSE(first->isKeyWindow());
    EXPECT_TRUE(first->isVisible());

    second.reset();
    EXPECT_EQ(platform::Application::sharedApplication().keyWindow(), nullptr)
        << "the application does not keep a window alive";
}

TEST(ControlsTest, ACellLaysItsTextLabelOutClearOfTheAccessory) {
    auto cell = platform::TableViewCell::initWithFrameReuseIdentifier(platform::kRectZero, "cell");
    EXPECT_EQ(cell->reuseIdentifier(), "cell");
    EXPECT_EQ(cell->frame(), platform::kRectZero);
    EXPECT_EQ(cell->accessoryType(), platform::kTableViewCellAccessoryNone);
    ASSERT_EQ(cell->subviews().size(), 1u);
    EXPECT_EQ(cell->subviews()[0].get(), &cell->textLabel());
    EXPECT_EQ(cell->textLabel().text(), "");

    cell->setFrame({0, 0, 320, 44});
    EXPECT_EQ(cell->textLabel().frame(), (Rect{15, 0, 290, 44}));
    cell->setAccessoryType(platform::kTableViewCellAccessoryDisclosureIndicator);
    EXPECT_EQ(cell->textLabel().frame(), (Rect{15, 0, 275, 44}));
    cell->setFrame({0, 0, 20, 44});
    EXPECT_EQ(cell->textLabel().frame(), (Rect{15, 0, 0, 44})) << "never a negative width";

    cell->setSelected(true);
    cell->prepareForReuse();
    EXPECT_FALSE(cell->isSelected());
}

TEST(ControlsTest, AnImageViewMadeFromAnImageTakesItsSize) {
    auto image = platform::Image::imageNamed("love.png");
    ASSERT_TRUE(image);
    auto view = platform::ImageView::initWithImage(image);
    EXPECT_EQ(view->frame(), (Rect{0, 0, image->size().width, image->size().height}));
    EXPECT_EQ(view->image(), image);
    EXPECT_EQ(platform::ImageView::initWithImage(nullptr)->frame(), platform::kRectZero);
}

TEST(ControlsTest, AScrollViewKeepsItsOffsetInsideTheContent) {
    auto scroll = std::make_shared<platform::ScrollView>(Rect{0, 0, 320, 400});
    scroll->setContentSize({320, 650});
    const struct {
        Point requested;
        Point expected;
    } cases[] = {
        {{0, 100}, {0, 100}}, {{0, 250}, {0, 250}}, {{0, 1000}, {0, 250}},
        {{-5, -5}, {0, 0}},   {{40, 10}, {0, 10}},  {{NAN, INFINITY}, {0, 0}},
    };
    for (const auto& c : cases) {
        scroll->setContentOffset(c.requested);
        EXPECT_EQ(scroll->contentOffset(), c.expected) << c.requested.x << "," << c.requested.y;
    }
    scroll->setContentOffset({0, 200});
    scroll->scrollBy(0, 30);
    EXPECT_EQ(scroll->contentOffset(), (Point{0, 230}));
    scroll->setContentSize({320, 500});
    EXPECT_EQ(scroll->contentOffset(), (Point{0, 100})) << "smaller content pulls the offset in";
    scroll->setFrame({0, 0, 320, 480});
    EXPECT_EQ(scroll->contentOffset(), (Point{0, 20})) << "so does a taller frame";
    scroll->setContentSize({-1, NAN});
    EXPECT_EQ(scroll->contentSize(), (platform::Size{0, 0}));
    EXPECT_EQ(scroll->contentOffset(), (Point{0, 0}));
}

}  // namespace
