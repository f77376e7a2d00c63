// Every sound list through real Qt input: Space plays the selected row where
// Enter opens it, the list shows its row again after Back, Enter in Find opens
// the best match, and every category has a page of its own (View ▸ Categories,
// Ctrl+1 to Ctrl+9) that names it in the window's title.

#include "Classes/CategoryPage.h"
#include "Classes/Desktop/DesktopCommands.h"
#include "Classes/LovePage.h"
#include "Classes/MainPage.h"
#include "Classes/PeltoAppDelegate.h"
#include "Classes/PlayPage.h"
#include "Classes/Reference.h"
#include "Classes/Search/SearchPage.h"
#include "HostSession.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Host/Input/KeyboardFocus.h"
#include "Platform/Host/Paint/PageTransitions.h"

#include <QAction>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

namespace {

using hosttest::Session;
using platform::IndexPath;

class HostSoundList : public ::testing::Test {
  protected:
    void SetUp() override { platform::WindowCommands::setApplicationCommands(desktopCommands()); }
    void TearDown() override { platform::stopAllSystemSounds(); }
};

void key(Session& session, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(&session.window, key, modifiers);
    QCoreApplication::processEvents();
    session.advance(platform::PageTransitions::kDuration);
}

// Whether the delegate's player has the sound `audioNumber` sounding now.
bool sounds(Session& session, const char* audioNumber) {
    auto* delegate = dynamic_cast<PeltoAppDelegate*>(session.application.delegate());
    if (delegate == nullptr) return false;
    const auto id = delegate->boardSounds().soundID(audioNumber);
    return id != 0 && platform::playingSoundCount(id) > 0;
}

std::string rowText(Session& session, IndexPath indexPath) {
    auto table = session.table();
    if (!table) return "(no table)";
    table->layoutIfNeeded();
    auto cell = table->cellForRowAtIndexPath(indexPath);
    return cell ? cell->textLabel().text() : "(no row)";
}

// Tab until the focus ring is on the page's list (a few stops at most).
void tabToTheList(Session& session) {
    const auto list =
        platform::PageNode::of(platform::PageNode::Kind::kView, session.table().get());
    for (int stop = 0; stop < 6 && session.window.keyboardFocus().focusedNode() != list; ++stop) {
        key(session, Qt::Key_Tab);
    }
    ASSERT_EQ(session.window.keyboardFocus().focusedNode(), list);
}

std::string title(Session& session) {
    session.frame();  // the title follows the page on top once it shows
    return session.window.windowTitle().toStdString();
}

const std::string kApplicationName = "Soundboard";

struct ListCase {
    const char* name;
    std::function<void(Session&)> reach;
    // What the second row plays.
    const char* secondSound;
};

const ListCase kLists[] = {
    {"the main page", [](Session&) {}, "002"},
    {"a category page", [](Session& s) { key(s, Qt::Key_2, Qt::ControlModifier); }, "010"},
    {"the favourites",
     [](Session& s) {
         Reference::setBool(true, "001");
         Reference::setBool(true, "003");
         Reference::setBool(true, "005");
         key(s, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
     },
     "003"},
};

TEST_F(HostSoundList, SpacePlaysTheSelectedRowWithoutOpeningIt) {
    for (const auto& list : kLists) {
        SCOPED_TRACE(list.name);
        hosttest::runSession([&list](Session& session) {
            list.reach(session);
            platform::ViewController* page = session.top();
            const std::size_t depth = session.depth();
            const auto plays = platform::playCount();
            key(session, Qt::Key_Space);
            EXPECT_EQ(platform::playCount(), plays) << "nothing is selected yet";

            key(session, Qt::Key_Down);
            key(session, Qt::Key_Down);
            key(session, Qt::Key_Space);
            EXPECT_EQ(platform::playCount(), plays + 1);
            EXPECT_TRUE(sounds(session, list.secondSound));
            EXPECT_EQ(session.top(), page) << "the list stays";
            EXPECT_EQ(session.depth(), depth);
            EXPECT_EQ(session.table()->indexPathForSelectedRow(), (IndexPath{0, 1}));

            // With the focus ring on the list, Space still plays and Enter opens.
            tabToTheList(session);
            key(session, Qt::Key_Space);
            EXPECT_EQ(platform::playCount(), plays + 2);
            EXPECT_EQ(session.top(), page);
            key(session, Qt::Key_Return);
            EXPECT_NE(session.topAs<PlayPage>(), nullptr);
        });
    }
}

TEST_F(HostSoundList, AListShowsTheRowItOpenedWhenItsPageComesBack) {
    for (const auto& list : kLists) {
        SCOPED_TRACE(list.name);
        hosttest::runSession([&list](Session& session) {
            list.reach(session);
            platform::ViewController* page = session.top();
            key(session, Qt::Key_Down);
            key(session, Qt::Key_Down);
            key(session, Qt::Key_Return);
            ASSERT_NE(session.topAs<PlayPage>(), nullptr);
            key(session, Qt::Key_Escape);
            ASSERT_EQ(session.top(), page);
            EXPECT_EQ(session.table()->indexPathForSelectedRow(), (IndexPath{0, 1}));
            key(session, Qt::Key_Down);
            EXPECT_EQ(session.table()->indexPathForSelectedRow(), (IndexPath{0, 2}))
                << "the keys carry on from the row";
        });
    }
}

TEST_F(HostSoundList, EnterInFindOpensTheFirstResultAndTheRowStaysAfterBack) {
    hosttest::runSession([](Session& session) {
        key(session, Qt::Key_F, Qt::ControlModifier);
        ASSERT_NE(session.topAs<SearchPage>(), nullptr);
        QTest::keyClicks(&session.window, "whi");
        key(session, Qt::Key_Return);
        auto* play = session.topAs<PlayPage>();
        ASSERT_NE(play, nullptr);
        EXPECT_EQ(session.bar().title, "Slide Whistle");
        key(session, Qt::Key_Escape);
        ASSERT_NE(session.topAs<SearchPage>(), nullptr);
        EXPECT_EQ(session.table()->indexPathForSelectedRow(), (IndexPath{0, 0}));
        key(session, Qt::Key_Down);
        key(session, Qt::Key_Return);
        ASSERT_NE(session.topAs<PlayPage>(), nullptr);
        EXPECT_EQ(session.bar().title, "Referee Whistle") << "a selected row is what Enter opens";
    });
}

TEST_F(HostSoundList, EveryCategoryOpensByItsShortcutAndNamesItself) {
    const struct {
        Qt::Key key;
        const char* category;  // none: the board has no such category
        const char* firstRow;
    } shortcuts[] = {
        {Qt::Key_1, "Classics", "Air Horn"}, {Qt::Key_2, "Cartoon", "Slide Whistle"},
        {Qt::Key_3, "Sci-Fi", "Laser Zap"},  {Qt::Key_4, "Voices", "Hello!"},
        {Qt::Key_5, nullptr, nullptr},       {Qt::Key_9, nullptr, nullptr},
    };
    for (const auto& shortcut : shortcuts) {
        SCOPED_TRACE(shortcut.category ? shortcut.category : "none");
        hosttest::runSession([&shortcut](Session& session) {
            EXPECT_EQ(title(session), "Classics \u2014 " + kApplicationName)
                << "the main page lists the first category";
            key(session, shortcut.key, Qt::ControlModifier);
            if (shortcut.category == nullptr) {
                EXPECT_NE(session.topAs<MainPage>(), nullptr);
                return;
            }
            auto* page = session.topAs<CategoryPage>();
            ASSERT_NE(page, nullptr);
            EXPECT_EQ(session.bar().title, shortcut.category);
            EXPECT_EQ(title(session),
                      std::string(shortcut.category) + " \u2014 " + kApplicationName);
            EXPECT_EQ(rowText(session, {0, 0}), shortcut.firstRow);

            key(session, shortcut.key, Qt::ControlModifier);
            EXPECT_EQ(session.top(), page) << "the same category again stays";
            EXPECT_EQ(session.depth(), 2u);

            session.click(session.rowPoint({0, 0}));
            session.advance(platform::PageTransitions::kDuration);
            ASSERT_NE(session.topAs<PlayPage>(), nullptr);
            EXPECT_EQ(session.bar().title, shortcut.firstRow);
            key(session, Qt::Key_Escape);
            key(session, Qt::Key_Escape);
            EXPECT_NE(session.topAs<MainPage>(), nullptr) << "Back leads to the main page";
        });
    }
}

TEST_F(HostSoundList, TheCategoriesMenuListsTheBoardsCategories) {
    hosttest::runSession([](Session& session) {
        QAction* categories = session.window.menus().action("Categories");
        ASSERT_NE(categories, nullptr);
        ASSERT_NE(categories->menu(), nullptr);
        emit categories->menu()->aboutToShow();
        const auto items = categories->menu()->actions();
        std::vector<std::string> titles;
        for (QAction* item : items) titles.push_back(item->text().toStdString());
        EXPECT_EQ(titles, (std::vector<std::string>{"Classics\tCtrl+1", "Cartoon\tCtrl+2",
                                                    "Sci-Fi\tCtrl+3", "Voices\tCtrl+4"}));
        items[2]->trigger();
        session.advance(platform::PageTransitions::kDuration);
        auto* page = session.topAs<CategoryPage>();
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(session.bar().title, "Sci-Fi");
        emit categories->menu()->aboutToShow();
        std::vector<bool> checks;
        for (QAction* item : categories->menu()->actions()) checks.push_back(item->isChecked());
        EXPECT_EQ(checks, (std::vector<bool>{false, false, true, false})) << "the one shown";
    });
}

}  // namespace
