#include "PageTestSupport.h"

#include "Platform/Foundation/RunLoop.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/ImageView.h"

#include <gtest/gtest.h>

namespace {

using platform::NavigationController;
using platform::ViewController;
using uitest::events;
using uitest::RecordingPage;
using Events = std::vector<std::string>;

const char* const kListPage = R"(
  <View frame="0,0,320,436">
    <Label outlet="titleLabel" frame="0,0,320,40"/>
    <TableView outlet="table" frame="0,40,320,396" dataSource="owner" delegate="owner"/>
  </View>)";

class NavigationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        events().clear();
        m_bundle =
            uitest::makeBundle({{"List.layout", uitest::pageLayout("RecordingPage", kListPage)}});
    }

    std::shared_ptr<RecordingPage> page(const std::string& name) {
        auto made = ViewController::initWithNibName<RecordingPage>("List", m_bundle);
        if (made) made->name = name;
        return made;
    }

    std::shared_ptr<platform::Bundle> m_bundle;
};

TEST_F(NavigationTest, PagesLoadBeforeTheyAppearAndThePageBelowAppearsAgainAfterAPop) {
    auto root = page("A");
    auto navigation = NavigationController::initWithRootViewController(root);
    ASSERT_NE(navigation, nullptr);
    EXPECT_EQ(root->navigationController(), navigation.get());
    EXPECT_TRUE(events().empty()) << "nothing loads before the stack's view does";

    navigation->view();
    EXPECT_EQ(events(), (Events{"A:viewDidLoad", "A:viewWillAppear"}));

    const struct {
        const char* step;
        Events expected;
    } steps[] = {
        {"push B", {"B:viewDidLoad", "B:viewWillAppear"}},
        {"push C", {"C:viewDidLoad", "C:viewWillAppear"}},
        {"pop", {"B:viewWillAppear"}},
        {"push D", {"D:viewDidLoad", "D:viewWillAppear"}},
        {"pop", {"B:viewWillAppear"}},
        {"pop", {"A:viewWillAppear"}},
        {"pop", {}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        events().clear();
        std::string action = step.step;
        if (action.starts_with("push")) {
            auto next = page(action.substr(5));
            navigation->pushViewController(next, true);
            EXPECT_EQ(navigation->topViewController(), next.get());
            EXPECT_EQ(navigation->lastTransition().direction, +1);
        } else {
            auto before = navigation->viewControllers().size();
            auto popped = navigation->popViewControllerAnimated(true);
            EXPECT_EQ(popped == nullptr, before == 1u) << "the root is never popped";
            if (popped) {
                EXPECT_EQ(popped->navigationController(), nullptr);
                EXPECT_EQ(navigation->lastTransition().direction, -1);
            }
        }
        EXPECT_EQ(events(), step.expected);
    }
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
    EXPECT_EQ(navigation->topViewController(), root.get());
}

TEST_F(NavigationTest, APagePushedBeforeTheStackIsShownLoadsWhenItIs) {
    auto root = page("A");
    auto navigation = NavigationController::initWithRootViewController(root);
    navigation->pushViewController(page("B"), false);
    EXPECT_TRUE(events().empty());
    navigation->view();
    EXPECT_EQ(events(), (Events{"B:viewDidLoad", "B:viewWillAppear"}));
    EXPECT_FALSE(root->isViewLoaded());
    events().clear();
    navigation->popViewControllerAnimated(false);
    EXPECT_EQ(events(), (Events{"A:viewDidLoad", "A:viewWillAppear"}));
}

TEST_F(NavigationTest, TheTopPageViewSitsBelowTheBarAndOnlyItIsShown) {
    auto navigation = NavigationController::initWithRootViewController(page("A"));
    auto window = uitest::showInKeyWindow(navigation);
    auto container = navigation->view();
    ASSERT_EQ(container->frame(), (platform::Rect{0, 0, 320, 480}));

    auto shownPages = [&] {
        std::vector<const platform::View*> shown;
        for (const auto& subview : container->subviews()) {
            if (subview->layoutId() != "navigationBar") shown.push_back(subview.get());
        }
        return shown;
    };
    const platform::Rect below{0, NavigationController::kNavigationBarHeight, 320, 436};
    auto root = navigation->topViewController();
    EXPECT_EQ(shownPages(), std::vector<const platform::View*>{root->view().get()});
    EXPECT_EQ(root->view()->frame(), below);
    EXPECT_TRUE(root->isViewOnScreen());

    auto second = page("B");
    navigation->pushViewController(second, true);
    EXPECT_EQ(shownPages(), std::vector<const platform::View*>{second->view().get()});
    EXPECT_EQ(second->view()->frame(), below);
    EXPECT_TRUE(second->isViewOnScreen());
    EXPECT_FALSE(root->isViewOnScreen());

    auto popped = navigation->popViewControllerAnimated(true);
    EXPECT_EQ(popped, second);
    EXPECT_EQ(second->view()->superview(), nullptr);
    EXPECT_EQ(shownPages(), std::vector<const platform::View*>{root->view().get()});

    container->setFrame({0, 0, 400, 600});
    navigation->layoutPages();
    EXPECT_EQ(root->view()->frame(), (platform::Rect{0, 44, 400, 556}));
}

TEST_F(NavigationTest, TheBarShowsTheTopTitleTheBackTitleAndTheButtons) {
    auto root = page("A");
    root->setTitle("Sounds");
    auto left = platform::BarButtonItem::initWithBarButtonSystemItem(
        platform::kBarButtonSystemItemAdd, platform::Action());
    auto right = platform::BarButtonItem::initWithBarButtonSystemItem(
        platform::kBarButtonSystemItemTrash, platform::Action());
    root->navigationItem().setLeftBarButtonItem(left);
    root->navigationItem().setRightBarButtonItem(right);
    auto navigation = NavigationController::initWithRootViewController(root);
    navigation->view();

    auto state = navigation->navigationBarState();
    EXPECT_EQ(state.title, "Sounds");
    EXPECT_FALSE(state.backTitle.has_value());
    EXPECT_EQ(state.left, left);
    EXPECT_EQ(state.right, right);
    EXPECT_EQ(state.titleView, nullptr);

    auto second = page("B");
    auto titleView = std::make_shared<platform::ImageView>();
    second->navigationItem().setTitleView(titleView);
    second->navigationItem().setRightBarButtonItem(left);
    navigation->pushViewController(second, true);
    state = navigation->navigationBarState();
    EXPECT_EQ(state.titleView, titleView);
    EXPECT_EQ(state.backTitle, "Sounds");
    EXPECT_EQ(state.left, nullptr) << "the back button takes the left place";
    EXPECT_EQ(state.right, left);

    auto third = page("C");
    third->setTitle("Info");
    navigation->pushViewController(third, true);
    state = navigation->navigationBarState();
    EXPECT_EQ(state.title, "Info");
    EXPECT_EQ(state.backTitle, "Back") << "an untitled page below gives the plain back title";
    EXPECT_EQ(state.right, nullptr);

    navigation->popViewControllerAnimated(true);
    navigation->popViewControllerAnimated(true);
    state = navigation->navigationBarState();
    EXPECT_EQ(state.title, "Sounds");
    EXPECT_EQ(state.left, left);
}

TEST_F(NavigationTest, APoppedPageIsDestroyedWithItsViewsOnceNothingHoldsIt) {
    auto navigation = NavigationController::initWithRootViewController(page("A"));
    navigation->view();
    std::weak_ptr<RecordingPage> watched;
    std::weak_ptr<platform::TableView> watchedTable;
    {
        auto second = page("B");
        watched = second;
        navigation->pushViewController(second, true);
        watchedTable = second->table;
        // The page is its table's data source and delegate; the table holds it weakly.
        second->table->reloadData();
        EXPECT_EQ(second->table->numberOfRowsInSection(0), 3);
    }
    EXPECT_FALSE(watched.expired()) << "the stack owns the page";
    navigation->popViewControllerAnimated(true);
    EXPECT_TRUE(watched.expired());
    EXPECT_TRUE(watchedTable.expired());
}

TEST_F(NavigationTest, APendingDelayedCallKeepsAPoppedPageAliveUntilItRuns) {
    auto clock = std::make_shared<platform::ManualClock>();
    platform::RunLoop::main().setClock(clock);
    auto navigation = NavigationController::initWithRootViewController(page("A"));
    navigation->view();
    std::weak_ptr<RecordingPage> watched;
    {
        auto second = page("B");
        watched = second;
        navigation->pushViewController(second, true);
        platform::RunLoop::main().performAfterDelay(second, &RecordingPage::onTap, 1.4);
    }
    navigation->popViewControllerAnimated(true);
    events().clear();

    clock->advance(1.3999);
    EXPECT_FALSE(watched.expired());
    EXPECT_TRUE(events().empty());
    clock->advance(0.0001);
    EXPECT_EQ(events(), Events{"B:onTap"}) << "the hidden page still gets its call";
    EXPECT_TRUE(watched.expired()) << "and the run loop lets go of it after";
}

TEST_F(NavigationTest, ARowTapMayPushANewPageFromInsideTheTableCallback) {
    auto root = page("A");
    auto navigation = NavigationController::initWithRootViewController(root);
    auto window = uitest::showInKeyWindow(navigation);
    std::vector<std::weak_ptr<RecordingPage>> pushed;
    root->onSelect = [&](RecordingPage& self, platform::TableView& table,
                         platform::IndexPath path) {
        auto next = page("row" + std::to_string(path.row));
        pushed.push_back(next);
        if (next) self.navigationController()->pushViewController(next, true);
        // The tapped table has left the screen but is still there to deselect.
        table.deselectRowAtIndexPath(path, true);
    };
    root->table->reloadData();

    for (int round = 0; round < 2; ++round) {
        events().clear();
        root->table->tapRowAtIndexPath({0, 1});
        EXPECT_EQ(events(), (Events{"row1:viewDidLoad", "row1:viewWillAppear"}));
        EXPECT_EQ(navigation->viewControllers().size(), 2u);
        EXPECT_FALSE(root->table->indexPathForSelectedRow().has_value());
        EXPECT_FALSE(root->isViewOnScreen());
        navigation->popViewControllerAnimated(true);
    }
    ASSERT_EQ(pushed.size(), 2u);
    EXPECT_TRUE(pushed[0].expired()) << "each tap made its own page, destroyed when popped";
    EXPECT_TRUE(pushed[1].expired());
}

TEST_F(NavigationTest, APushFromInsideAnAppearanceShowsTheNewestPage) {
    auto navigation = NavigationController::initWithRootViewController(page("A"));
    navigation->view();
    auto second = page("B");
    auto third = page("C");
    second->onAppear = [&](RecordingPage& self) {
        if (third)
            self.navigationController()->pushViewController(std::exchange(third, nullptr), false);
    };
    events().clear();
    navigation->pushViewController(second, true);
    EXPECT_EQ(events(),
              (Events{"B:viewDidLoad", "B:viewWillAppear", "C:viewDidLoad", "C:viewWillAppear"}));
    auto top = navigation->topViewController();
    ASSERT_EQ(navigation->viewControllers().size(), 3u);
    const auto& shown = navigation->view()->subviews();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), top->view()), 1);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), second->view()), 0);
}

TEST_F(NavigationTest, PushesThatWouldBreakTheStackAreIgnored) {
    auto root = page("A");
    auto navigation = NavigationController::initWithRootViewController(root);
    auto other = NavigationController::initWithRootViewController(page("X"));
    navigation->view();
    auto onOther = page("Y");
    other->pushViewController(onOther, false);
    navigation->pushViewController(other, false);  // a stack on a stack is fine
    ASSERT_EQ(navigation->viewControllers().size(), 2u);
    events().clear();

    const struct {
        const char* name;
        NavigationController* stack;
        std::shared_ptr<ViewController> page;
    } refused[] = {
        {"null", navigation.get(), nullptr},
        {"the root again", navigation.get(), root},
        {"the stack itself", navigation.get(), navigation},
        {"a page of another stack", navigation.get(), onOther},
        {"the stack that holds this one", other.get(), navigation},
    };
    for (const auto& attempt : refused) {
        SCOPED_TRACE(attempt.name);
        attempt.stack->pushViewController(attempt.page, true);
        EXPECT_EQ(navigation->viewControllers().size(), 2u);
        EXPECT_EQ(other->viewControllers().size(), 2u);
    }
    EXPECT_TRUE(events().empty());
    EXPECT_EQ(NavigationController::initWithRootViewController(nullptr), nullptr);
    EXPECT_EQ(NavigationController::initWithRootViewController(root), nullptr);
}

TEST_F(NavigationTest, PagesOutlivingTheirStackNoLongerPointAtIt) {
    auto root = page("A");
    auto navigation = NavigationController::initWithRootViewController(root);
    std::weak_ptr<NavigationController> watched = navigation;
    navigation = nullptr;
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(root->navigationController(), nullptr);
}

TEST_F(NavigationTest, AMemoryWarningUnloadsHiddenPagesAndTheirNextAppearanceReloadsThem) {
    platform::Application::sharedApplication().setDelegate(
        std::make_shared<uitest::RecordingDelegate>());
    auto root = page("A");
    auto navigation = NavigationController::initWithRootViewController(root);
    auto window = uitest::showInKeyWindow(navigation);
    auto second = page("B");
    navigation->pushViewController(second, true);
    std::weak_ptr<platform::View> rootView = root->view();
    std::weak_ptr<platform::View> secondView = second->view();
    // A stack that is not in the key window hears nothing.
    auto offscreen = NavigationController::initWithRootViewController(page("Z"));
    offscreen->view();
    events().clear();

    platform::Application::sharedApplication().didReceiveMemoryWarning();
    EXPECT_EQ(events(), (Events{"delegate:memory", "A:viewDidUnload"}));
    EXPECT_TRUE(rootView.expired());
    EXPECT_FALSE(root->isViewLoaded());
    EXPECT_EQ(second->view(), secondView.lock()) << "the page on screen keeps its view";
    EXPECT_TRUE(navigation->isViewLoaded());
    EXPECT_TRUE(offscreen->topViewController()->isViewLoaded());

    events().clear();
    navigation->popViewControllerAnimated(true);
    EXPECT_EQ(events(), (Events{"A:viewDidLoad", "A:viewWillAppear"}));
    ASSERT_NE(root->table, nullptr);
    EXPECT_EQ(root->table->superview(), root->view().get());
    EXPECT_TRUE(root->isViewOnScreen());
}

}  // namespace
