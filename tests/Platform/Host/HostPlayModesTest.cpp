// Play modes through real Qt input: the context menu by mouse and by keys,
// what a pad does when pressed again in each mode (on the manual clock), loops
// and Stop All, the volume trim on the pads and the play page alike, and what
// Sound ▸ Now Playing lists.

#include "Classes/Desktop/DesktopCommands.h"
#include "Classes/Desktop/DesktopPreferences.h"
#include "Classes/MainPage.h"
#include "Classes/Pads/PadButton.h"
#include "Classes/Pads/PadsPage.h"
#include "Classes/PlayPage.h"
#include "Classes/Reference.h"
#include "HostSession.h"
#include "PadsSession.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Host/Input/KeyboardFocus.h"
#include "Platform/Host/Paint/PageTransitions.h"

#include <QAction>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using hosttest::Session;

// The longest of the bundled sounds (2.7 s): it still sounds when pressed again.
constexpr const char* kPad = "Drum Roll";
constexpr const char* kPadNumber = "003";

class HostPlayModes : public padstest::PadsWindowTest {};
using padstest::key;
using padstest::openPads;

std::shared_ptr<PadButton> pad(Session& session, const char* label) {
    auto* page = session.topAs<PadsPage>();
    return page ? std::dynamic_pointer_cast<PadButton>(page->grid()->findView(label)) : nullptr;
}

std::vector<std::string> titles(QMenu* menu) {
    std::vector<std::string> out;
    if (menu == nullptr) return out;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) out.push_back(action->text().toStdString());
    }
    return out;
}

QAction* item(QMenu* menu, const std::string& title) {
    if (menu == nullptr) return nullptr;
    for (QAction* action : menu->actions()) {
        if (action->text().toStdString() == title) return action;
    }
    return nullptr;
}

// Chooses `path` (a title, then titles inside its submenus) in the open context menu.
void choose(Session& session, const std::vector<std::string>& path) {
    QMenu* menu = session.window.contextMenus().openMenu();
    ASSERT_NE(menu, nullptr) << "a context menu is open";
    for (std::size_t step = 0; step + 1 < path.size(); ++step) {
        QAction* submenu = item(menu, path[step]);
        ASSERT_NE(submenu, nullptr) << path[step];
        menu = submenu->menu();
        ASSERT_NE(menu, nullptr) << path[step] << " opens a submenu";
    }
    QAction* chosen = item(menu, path.back());
    ASSERT_NE(chosen, nullptr) << path.back();
    chosen->trigger();
    if (QMenu* open = session.window.contextMenus().openMenu()) open->close();
    QCoreApplication::processEvents();
    session.advance(platform::PageTransitions::kDuration);
}

// Through the window system, which turns the right button into a context menu event.
void rightClick(Session& session, QPoint point) {
    QTest::mouseClick(session.window.windowHandle(), Qt::RightButton, Qt::NoModifier, point);
    QCoreApplication::processEvents();
}

const std::vector<std::string> kSoundMenu{
    "Play", "Open", "Add to Favourites", "When Played Again", "Loop", "Volume Trim"};

TEST_F(HostPlayModes, PressedAgainAPadOverlapsRestartsOrStopsAsItsModeSays) {
    const struct {
        const char* mode;
        std::size_t sounding;  // after the second press
        std::uint64_t plays;   // started by both presses
        bool startedAgain;     // the newest play's progress starts again
    } modes[] = {
        {"Overlap", 2, 2, true},
        {"Restart", 1, 2, true},
        {"Stop", 0, 1, false},
    };
    for (const auto& mode : modes) {
        SCOPED_TRACE(mode.mode);
        hosttest::runSession([&mode](Session& session) {
            ASSERT_NE(openPads(session), nullptr);
            rightClick(session, session.controlPoint(kPad));
            EXPECT_EQ(titles(session.window.contextMenus().openMenu()), kSoundMenu);
            choose(session, {"When Played Again", mode.mode});

            const auto plays = platform::playCount();
            session.click(session.controlPoint(kPad));
            const auto sound = pad(session, kPad)->playbackSound();
            ASSERT_EQ(platform::playingSoundCount(sound), 1u);
            session.advance(1.0);
            const double before = platform::playbackProgress(sound).value_or(-1);
            session.click(session.controlPoint(kPad));
            EXPECT_EQ(platform::playingSoundCount(sound), mode.sounding);
            EXPECT_EQ(platform::playCount(), plays + mode.plays);
            if (mode.sounding > 0) {
                const double after = platform::playbackProgress(sound).value_or(-1);
                EXPECT_EQ(after < before, mode.startedAgain) << before << " then " << after;
            }
        });
    }
}

TEST_F(HostPlayModes, ALoopPlaysUntilStopAllAndTheModeIsKeptForTheBoard) {
    hosttest::runSession([](Session& session) {
        ASSERT_NE(openPads(session), nullptr);
        rightClick(session, session.controlPoint(kPad));
        choose(session, {"Loop"});
        session.click(session.controlPoint(kPad));
        const auto sound = pad(session, kPad)->playbackSound();
        const auto options = platform::playbackOptions(sound);
        ASSERT_TRUE(options);
        EXPECT_TRUE(options->loops);
        session.advance(10.0);
        EXPECT_TRUE(platform::playbackProgress(sound)) << "a loop goes round past its length";
        key(session, Qt::Key_Period, Qt::ControlModifier);  // Stop All Sounds
        EXPECT_EQ(platform::playingSoundCount(sound), 0u);
    });
    const auto kept =
        DesktopPreferences().soundPlayModes(platform::Bundle::mainBundle()->bundlePath());
    ASSERT_EQ(kept.count(kPadNumber), 1u);
    EXPECT_TRUE(kept.at(kPadNumber).loops);
    EXPECT_FALSE(Reference::boolForKey("loops")) << "never in the favourites' key space";
}

TEST_F(HostPlayModes, TheTrimSetsTheGainOfEveryPlayOfTheSound) {
    hosttest::runSession([](Session& session) {
        ASSERT_NE(openPads(session), nullptr);
        rightClick(session, session.controlPoint(kPad));
        choose(session, {"Volume Trim", "+6 dB"});
        session.click(session.controlPoint(kPad));
        const auto options = platform::playbackOptions(pad(session, kPad)->playbackSound());
        ASSERT_TRUE(options);
        EXPECT_DOUBLE_EQ(options->gainDecibels, 6.0);
        platform::stopAllSystemSounds();

        // The play page of the same sound plays with the same trim.
        key(session, Qt::Key_Escape);
        session.click(session.rowPoint({0, 2}));
        session.advance(platform::PageTransitions::kDuration);
        auto* play = session.topAs<PlayPage>();
        ASSERT_NE(play, nullptr);
        key(session, Qt::Key_Space);
        const auto pageOptions = platform::playbackOptions(play->m_sndID);
        ASSERT_TRUE(pageOptions);
        EXPECT_DOUBLE_EQ(pageOptions->gainDecibels, 6.0);
    });
}

TEST_F(HostPlayModes, TheContextMenuOpensByKeysOnARowAndOnAPad) {
    hosttest::runSession([](Session& session) {
        // The Menu key on the main page's selected row.
        key(session, Qt::Key_Down);
        key(session, Qt::Key_Menu);
        EXPECT_EQ(titles(session.window.contextMenus().openMenu()), kSoundMenu);
        choose(session, {"Add to Favourites"});
        EXPECT_TRUE(Reference::boolForKey("001"));
        key(session, Qt::Key_F10, Qt::ShiftModifier);
        EXPECT_EQ(titles(session.window.contextMenus().openMenu())[2], "Remove from Favourites");
        choose(session, {"Open"});
        ASSERT_NE(session.topAs<PlayPage>(), nullptr);
        EXPECT_EQ(session.bar().title, "Air Horn");
        key(session, Qt::Key_Escape);

        // Shift+F10 on the focused pad, and Play from its menu.
        ASSERT_NE(openPads(session), nullptr);
        key(session, Qt::Key_Tab);
        key(session, Qt::Key_Tab);
        key(session, Qt::Key_F10, Qt::ShiftModifier);
        auto marked = kSoundMenu;
        marked[2] = "Remove from Favourites";
        EXPECT_EQ(titles(session.window.contextMenus().openMenu()), marked)
            << "Air Horn, marked above";
        const auto plays = platform::playCount();
        choose(session, {"Play"});
        EXPECT_EQ(platform::playCount(), plays + 1);
        EXPECT_NE(session.topAs<PadsPage>(), nullptr);
        key(session, Qt::Key_Menu);
        choose(session, {"Remove from Favourites"});
        EXPECT_FALSE(Reference::boolForKey("001"));
        EXPECT_EQ(pad(session, "Air Horn")->accessibilityDescription(), "Classics")
            << "the pad loses its heart at once";

        // A right click on a row selects it and offers the same.
        key(session, Qt::Key_Escape);
        rightClick(session, session.rowPoint({0, 3}));
        EXPECT_EQ(session.table()->indexPathForSelectedRow(), (platform::IndexPath{0, 3}));
        choose(session, {"Play"});
        EXPECT_EQ(platform::playCount(), plays + 2);
        EXPECT_NE(session.topAs<MainPage>(), nullptr);
    });
}

TEST_F(HostPlayModes, NowPlayingListsWhatSoundsWithItsTimeLeftAndStopsIt) {
    hosttest::runSession([](Session& session) {
        ASSERT_NE(openPads(session), nullptr);
        QAction* nowPlaying = session.window.menus().action("Now Playing");
        ASSERT_NE(nowPlaying, nullptr);
        emit nowPlaying->menu()->aboutToShow();
        EXPECT_EQ(titles(nowPlaying->menu()), std::vector<std::string>{"Nothing Playing"});

        session.click(session.controlPoint(kPad));
        session.advance(1.0);
        emit nowPlaying->menu()->aboutToShow();
        const auto listed = titles(nowPlaying->menu());
        ASSERT_EQ(listed.size(), 1u);
        EXPECT_EQ(listed.front().rfind("Stop Drum Roll (1.", 0), 0u) << listed.front();
        EXPECT_NE(listed.front().find(" s left)"), std::string::npos) << listed.front();
        nowPlaying->menu()->actions().front()->trigger();
        EXPECT_EQ(platform::playingSoundCount(pad(session, kPad)->playbackSound()), 0u);
    });
}

}  // namespace
