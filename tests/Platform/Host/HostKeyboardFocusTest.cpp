// The keyboard reaches everything: Tab walks the page, Space and Enter act as
// clicks, Escape closes the options panel before going back, and the paging
// keys scroll.

#include "AccessibilityProbe.h"
#include "HostSession.h"

#include "Classes/InfoPage.h"
#include "Classes/LovePage.h"
#include "Classes/MainPage.h"
#include "Classes/PlayPage.h"
#include "Classes/Reference.h"

#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

using hosttest::Session;
using platform::IndexPath;

using hosttest::openFavourites;
using hosttest::openInfo;
using hosttest::openOptions;
using hosttest::openPlay;
using hosttest::press;
using hosttest::tabs;

// The first row's text, read on the main page before a case leaves it.
std::string g_firstRow;

TEST(HostKeyboardFocusTest, TabVisitsEveryStopOfThePageInReadingOrderAndWraps) {
    const struct {
        const char* page;
        std::function<void(Session&)> open;
        std::vector<std::string> order;
    } cases[] = {
        {"main",
         [](Session&) {},
         {"Options", "Favourites", "Sounds", "example.org", "example.com"}},
        {"options panel",
         openOptions,
         {"Options", "Favourites", "Sounds", "Vibrate", "example.org", "example.com"}},
        {"play",
         openPlay,
         {"Back", "Add Air Horn to Favourites", "Play Air Horn", "Info", "example.org",
          "example.com"}},
        {"favourites", openFavourites, {"Back", "Favourites", "example.org", "example.com"}},
        {"info", openInfo, {"Back", "Farland", "Brisel", "Twitter"}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.page);
        hosttest::runSession([&](Session& session) {
            test.open(session);
            hosttest::FocusAnnouncements heard;
            tabs(session, static_cast<int>(test.order.size()) + 1);
            auto forwards = test.order;
            forwards.push_back(test.order.front());
            EXPECT_EQ(heard.names(), forwards);

            heard.clear();
            press(session, Qt::Key_Backtab, Qt::ShiftModifier);
            press(session, Qt::Key_Tab, Qt::ShiftModifier);
            const std::vector<std::string> backwards{test.order.back(),
                                                     test.order[test.order.size() - 2]};
            EXPECT_EQ(heard.names(), backwards);
        });
    }
}

TEST(HostKeyboardFocusTest, SpaceOrEnterOnTheFocusedThingDoesWhatAClickDoes) {
    using Check = std::function<void(Session&)>;
    const struct {
        const char* what;
        std::function<void(Session&)> open;
        int tabs;
        Qt::Key key;
        Check outcome;
    } cases[] = {
        {"settings opens the panel", [](Session&) {}, 1, Qt::Key_Space,
         [](Session& s) { EXPECT_TRUE(s.topAs<MainPage>()->OVopen); }},
        {"the heart opens the favourites", [](Session&) {}, 2, Qt::Key_Return,
         [](Session& s) { EXPECT_NE(s.topAs<LovePage>(), nullptr); }},
        {"a focused list selects its first row", [](Session&) {}, 3, Qt::Key_Space,
         [](Session& s) {
             EXPECT_EQ(s.depth(), 1u);
             EXPECT_EQ(s.table()->indexPathForSelectedRow(), (IndexPath{0, 0}));
         }},
        {"a focused list opens its selected row",
         [](Session& s) {
             g_firstRow = hosttest::rowText(s, {0, 0});
             press(s, Qt::Key_Down);
         },
         3, Qt::Key_Return,
         [](Session& s) {
             ASSERT_NE(s.topAs<PlayPage>(), nullptr);
             EXPECT_EQ(s.bar().title, g_firstRow);
             auto* window = QAccessible::queryAccessibleInterface(&s.window);
             auto* focused = window->focusChild();
             EXPECT_TRUE(focused == nullptr || focused == window)
                 << "a new page starts without focus";
         }},
        {"a banner link goes to the desktop", [](Session&) {}, 4, Qt::Key_Enter,
         [](Session& s) {
             EXPECT_EQ(s.openedURLs, std::vector<std::string>{"http://www.example.org/sounds"});
         }},
        {"the switch flips and is stored", openOptions, 4, Qt::Key_Space,
         [](Session&) { EXPECT_TRUE(Reference::boolForKey("vibrate")); }},
        {"add marks the sound", openPlay, 2, Qt::Key_Space,
         [](Session& s) {
             s.advance(2);  // the badge flashes first
             ASSERT_TRUE(s.bar().right);
             EXPECT_EQ(s.bar().right->accessibilityName(), "Trash");
         }},
        {"info opens the info page", openPlay, 4, Qt::Key_Return,
         [](Session& s) { EXPECT_NE(s.topAs<InfoPage>(), nullptr); }},
        {"back goes back", openPlay, 1, Qt::Key_Space,
         [](Session& s) { EXPECT_EQ(s.depth(), 1u); }},
        {"a button below the fold is scrolled to and pressed", openInfo, 4, Qt::Key_Return,
         [](Session& s) { EXPECT_EQ(s.openedURLs.size(), 1u); }},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.what);
        hosttest::runSession([&](Session& session) {
            test.open(session);
            tabs(session, test.tabs);
            press(session, test.key);
            test.outcome(session);
        });
    }
}

TEST(HostKeyboardFocusTest, EscapeClosesTheOptionsPanelBeforeGoingBack) {
    hosttest::runSession([](Session& session) {
        auto* main = session.topAs<MainPage>();
        openOptions(session);
        ASSERT_TRUE(main->OVopen);
        press(session, Qt::Key_Escape);
        EXPECT_FALSE(main->OVopen);
        EXPECT_EQ(session.depth(), 1u);
        session.advance(MainPage::kOptionsAnimationDuration);
        press(session, Qt::Key_Escape);
        EXPECT_FALSE(main->OVopen) << "a closed panel stays closed";

        openPlay(session);
        press(session, Qt::Key_Escape);
        EXPECT_EQ(session.depth(), 1u) << "a page without a panel goes back";
    });
}

TEST(HostKeyboardFocusTest, PagingKeysScrollTheListAndTheInfoPage) {
    const struct {
        const char* page;
        std::function<void(Session&)> open;
    } pages[] = {{"main",
                  [](Session& session) {
                      // The first category may fit on screen; give the list less room.
                      session.table()->setFrame({0, 0, 320, 120});
                      session.advance(0);
                  }},
                 {"info", openInfo}};
    for (const auto& page : pages) {
        SCOPED_TRACE(page.page);
        hosttest::runSession([&](Session& session) {
            page.open(session);
            std::shared_ptr<platform::ScrollView> scroll = session.table();
            if (auto* info = session.topAs<InfoPage>()) scroll = info->scrollView;
            ASSERT_TRUE(scroll);
            const double screen = scroll->frame().height;
            const double last = scroll->contentSize().height - screen;
            ASSERT_GT(last, 0);
            const struct {
                Qt::Key key;
                double offset;
            } steps[] = {
                {Qt::Key_PageDown, std::min(screen, last)},
                {Qt::Key_End, last},
                {Qt::Key_PageDown, last},
                {Qt::Key_PageUp, std::max(0.0, last - screen)},
                {Qt::Key_Home, 0},
                {Qt::Key_PageUp, 0},
            };
            for (const auto& step : steps) {
                press(session, step.key);
                EXPECT_DOUBLE_EQ(scroll->contentOffset().y, step.offset) << step.key;
            }
        });
    }
}

TEST(HostKeyboardFocusTest, TheRingIsDrawnAroundTheFocusAndTabScrollsItIntoView) {
    hosttest::runSession([](Session& session) {
        openInfo(session);
        const QImage before = session.frame();
        press(session, Qt::Key_Tab);
        const QRect back(0, 0, 120, 44);
        EXPECT_GT(hosttest::differingPixels(before, session.frame(), back), 0)
            << "the ring shows around the back button";
        EXPECT_EQ(hosttest::differingPixels(before, session.frame(), QRect(0, 60, 320, 400)), 0);

        tabs(session, 3);
        auto* info = session.topAs<InfoPage>();
        EXPECT_GT(info->scrollView->contentOffset().y, 0) << "Twitter was below the fold";
        const auto nodes = hosttest::walkAccessibleTree(session);
        const auto* twitter = hosttest::findNode(nodes, QAccessible::Button, "Twitter");
        ASSERT_NE(twitter, nullptr);
        EXPECT_FALSE(twitter->state.offscreen);
        EXPECT_TRUE(twitter->state.focused);
    });
}

}  // namespace
