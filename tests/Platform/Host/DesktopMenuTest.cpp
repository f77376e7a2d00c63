// The desktop menus and shortcuts through real Qt input on the offscreen
// platform: every command's shortcut and what it visibly does, the menu bar's
// menus and computed items, and the desktop preferences across restarts.

#include "Classes/Boards/BoardMaker.h"
#include "Classes/CommandNames.h"
#include "Classes/Desktop/BoardOpeningCheck.h"
#include "Classes/Desktop/DesktopCommands.h"
#include "Classes/Desktop/DesktopPreferences.h"
#include "Classes/Desktop/LastOpenedBoard.h"
#include "Classes/InfoPage.h"
#include "Classes/LovePage.h"
#include "Classes/MainPage.h"
#include "Classes/PlayPage.h"
#include "HostSession.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Audio/VoiceChatControls.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Foundation/UserDefaults.h"
#include "TestAudio.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace fs = std::filesystem;
using hosttest::Session;

namespace {

class DesktopMenu : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::setSystemSoundVolume(100);
        platform::setSystemSoundMuted(false);
        platform::setAudioOutputDevice({});
        platform::WindowCommands::setApplicationCommands(desktopCommands());
    }
    void TearDown() override {
        platform::stopAllSystemSounds();
        platform::setSystemSoundVolume(100);
        platform::setSystemSoundMuted(false);
        // Each case starts from no kept preferences.
        fs::remove(DesktopPreferences::file());
    }
};

void key(Session& session, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(&session.window, key, modifiers);
    QCoreApplication::processEvents();
    // Past any page slide the key started.
    session.advance(1);
}

void openPlayPage(Session& session) {
    session.click(session.rowPoint({0, 0}));
    session.advance(1);
    ASSERT_NE(session.topAs<PlayPage>(), nullptr);
}

bool isFavourite() {
    return platform::Application::sharedApplication()
        .commandState(command_names::kToggleFavourite)
        .checked;
}

void play() {
    platform::Application::sharedApplication().sendCommand(command_names::kPlay);
}

std::string messageText(Session& session) {
    QMessageBox* message = session.window.dialogs().message();
    return message != nullptr ? message->text().toStdString() : std::string("(no message)");
}

// The items a submenu shows once it opens.
std::vector<QAction*> openedItems(QAction* submenuAction) {
    QMenu* submenu = submenuAction != nullptr ? submenuAction->menu() : nullptr;
    if (submenu == nullptr) return {};
    emit submenu->aboutToShow();
    std::vector<QAction*> items;
    for (QAction* item : submenu->actions()) {
        if (!item->isSeparator()) items.push_back(item);
    }
    return items;
}

struct ShortcutCase {
    const char* what;
    bool onPlayPage;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::function<void(Session&)> before;
    std::function<void(Session&)> outcome;
};

TEST_F(DesktopMenu, EveryShortcutDoesWhatItsCommandSays) {
    const auto nothing = [](Session&) {};
    const std::vector<ShortcutCase> cases{
        {"Play", true, Qt::Key_Space, Qt::NoModifier, [](Session&) {},
         [](Session&) { EXPECT_EQ(platform::playingSoundCount(), 1u) << "played once"; }},
        {"Add to Favourites", true, Qt::Key_D, Qt::ControlModifier, nothing,
         [](Session& session) {
             session.advance(PlayPage::kBadgeFlashLength);
             EXPECT_TRUE(isFavourite());
         }},
        {"Stop All Sounds", true, Qt::Key_Period, Qt::ControlModifier,
         [](Session&) {
             for (int i = 0; i < 3; ++i) play();
             ASSERT_EQ(platform::playingSoundCount(), 3u);
         },
         [](Session&) { EXPECT_EQ(platform::playingSoundCount(), 0u); }},
        {"Stop All Sounds (Pause)", true, Qt::Key_Pause, Qt::NoModifier,
         [](Session&) {
             play();
             play();
         },
         [](Session&) { EXPECT_EQ(platform::playingSoundCount(), 0u); }},
        {"Volume Down", false, Qt::Key_Down, Qt::ControlModifier, nothing,
         [](Session&) { EXPECT_EQ(platform::systemSoundVolume(), 90); }},
        {"Volume Up", false, Qt::Key_Up, Qt::ControlModifier,
         [](Session&) { platform::setSystemSoundVolume(50); },
         [](Session&) { EXPECT_EQ(platform::systemSoundVolume(), 60); }},
        {"Mute", false, Qt::Key_M, Qt::ControlModifier, nothing,
         [](Session&) { EXPECT_TRUE(platform::isSystemSoundMuted()); }},
        {"Zoom In", false, Qt::Key_Equal, Qt::ControlModifier, nothing,
         [](Session& session) { EXPECT_DOUBLE_EQ(session.window.zoom(), 1.25); }},
        {"Zoom In (plus)", false, Qt::Key_Plus, Qt::ControlModifier, nothing,
         [](Session& session) { EXPECT_DOUBLE_EQ(session.window.zoom(), 1.25); }},
        {"Zoom Out", false, Qt::Key_Minus, Qt::ControlModifier,
         [](Session& session) { session.window.setZoom(1.5); },
         [](Session& session) { EXPECT_DOUBLE_EQ(session.window.zoom(), 1.25); }},
        {"Actual Size", false, Qt::Key_0, Qt::ControlModifier,
         [](Session& session) { session.window.setZoom(2.5); },
         [](Session& session) { EXPECT_DOUBLE_EQ(session.window.zoom(), 1.0); }},
        {"Favourites", false, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier, nothing,
         [](Session& session) { EXPECT_NE(session.topAs<LovePage>(), nullptr); }},
        {"Favourites from a play page", true, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier,
         nothing, [](Session& session) { EXPECT_NE(session.topAs<LovePage>(), nullptr); }},
        {"Back", true, Qt::Key_Left, Qt::AltModifier, nothing,
         [](Session& session) { EXPECT_EQ(session.depth(), 1u); }},
        {"Options", false, Qt::Key_Comma, Qt::ControlModifier, nothing,
         [](Session& session) { EXPECT_TRUE(session.topAs<MainPage>()->OVopen); }},
        {"Open Board", false, Qt::Key_O, Qt::ControlModifier, nothing,
         [](Session& session) { EXPECT_NE(session.window.dialogs().folderDialog(), nullptr); }},
        {"New Board from Folder", false, Qt::Key_N, Qt::ControlModifier, nothing,
         [](Session& session) { EXPECT_NE(session.window.dialogs().folderDialog(), nullptr); }},
        {"Keyboard Shortcuts", false, Qt::Key_Slash, Qt::ControlModifier, nothing,
         [](Session& session) {
             const std::string text = messageText(session);
             EXPECT_NE(text.find("Stop All Sounds: Ctrl+. or Pause"), std::string::npos) << text;
             EXPECT_NE(text.find("Quit: Ctrl+Q"), std::string::npos) << text;
         }},
        {"Quit", false, Qt::Key_Q, Qt::ControlModifier, nothing,
         [](Session& session) { EXPECT_TRUE(session.application.isTerminating()); }},
    };
    for (const ShortcutCase& c : cases) {
        SCOPED_TRACE(c.what);
        hosttest::runSession([&](Session& session) {
            if (c.onPlayPage) openPlayPage(session);
            c.before(session);
            key(session, c.key, c.modifiers);
            c.outcome(session);
        });
        platform::stopAllSystemSounds();
        platform::setSystemSoundVolume(100);
        platform::setSystemSoundMuted(false);
        // Each case starts from no kept preferences.
        fs::remove(DesktopPreferences::file());
    }
}

// A favourite that cannot be written shows at once and is kept; the user is told
// once per streak of failures, with the reason, and the log has every one. Once
// the settings can be written, the mark is on disk and survives a restart.
TEST_F(DesktopMenu, AMarkThatCannotBeSavedIsToldOncePerStreakAndSavedWhenItCan) {
    const fs::path file = platform::UserDefaults::standardFilePath();
    const struct {
        const char* what;
        std::function<void()> block;
        std::function<void()> unblock;
        const char* reason;
    } cases[] = {
        {"the settings folder is a file",
         [&] {
             fs::remove_all(file.parent_path());
             sbtest::writeFile(file.parent_path(), "not a folder");
         },
         [&] { fs::remove(file.parent_path()); }, "Not a directory"},
        {"the settings file is a folder",
         [&] {
             fs::remove(file);
             fs::create_directories(file / "inside");
         },
         [&] { fs::remove_all(file); }, "could not be read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(file.parent_path());
        c.block();
        platform::LogCapture log;
        hosttest::runSession([&](Session& session) {
            // Every notice shown so far, read and dismissed as the user would.
            std::vector<std::string> notices;
            const auto readNotices = [&] {
                if (QMessageBox* notice = session.window.dialogs().message()) {
                    notices.push_back(notice->text().toStdString());
                    notice->accept();
                    // As a window manager gives the window back its focus.
                    QApplication::setActiveWindow(&session.window);
                    QCoreApplication::processEvents();
                }
            };
            // A mark's badge flash ignores presses until it ends.
            const auto toggle = [&] {
                key(session, Qt::Key_D, Qt::ControlModifier);
                session.advance(2);
                readNotices();
            };
            openPlayPage(session);
            readNotices();  // a write at the start may already have failed
            auto* play = session.topAs<PlayPage>();
            ASSERT_NE(play, nullptr);
            const std::string sound = play->curData->attribute("audio_no").value_or("");
            auto& store = platform::UserDefaults::standardUserDefaults();
            for (int press = 0; press < 3; ++press) toggle();
            EXPECT_TRUE(store.boolForKey(sound)) << "the mark shows at once";
            // One streak, one notice, with the reason and what becomes of the change.
            ASSERT_EQ(notices.size(), 1u);
            EXPECT_NE(notices[0].find(c.reason), std::string::npos) << notices[0];
            EXPECT_NE(notices[0].find("kept and will be saved"), std::string::npos) << notices[0];
            std::size_t lines = 0;
            for (const auto& line : log.messages()) {
                if (line.find("the settings could not be written") != std::string::npos &&
                    line.find(c.reason) != std::string::npos) {
                    ++lines;
                }
            }
            EXPECT_GE(lines, 3u);
            c.unblock();
            toggle();
            toggle();
            EXPECT_EQ(notices.size(), 1u);
            EXPECT_TRUE(platform::UserDefaults(file).boolForKey(sound)) << "written through";
            // A new streak is told again.
            c.block();
            toggle();
            EXPECT_EQ(notices.size(), 2u);
            c.unblock();
        });
    }
}

// Escape that closes a menu closes only the menu: the next Escape goes back,
// whichever menu was open and whether the mouse or the keyboard opened it.
TEST_F(DesktopMenu, AfterEscapeClosesAMenuTheNextEscapeGoesBack) {
    const struct {
        const char* menu;
        bool byKeyboard;
    } cases[] = {{"File", false}, {"Sound", false}, {"File", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.menu) + (c.byKeyboard ? " by F10" : " by mouse"));
        hosttest::runSession([&](Session& session) {
            openPlayPage(session);
            ASSERT_EQ(session.depth(), 2u);
            QMenuBar& bar = session.window.menuBar();
            QMenu* menu = session.window.menus().menu(c.menu);
            ASSERT_NE(menu, nullptr);
            if (c.byKeyboard) {
                QTest::keyClick(&session.window, Qt::Key_Alt);
                QTest::keyClick(&bar, Qt::Key_Down);
            } else {
                bar.setActiveAction(menu->menuAction());
            }
            QCoreApplication::processEvents();
            ASSERT_TRUE(menu->isVisible());
            QTest::keyClick(menu, Qt::Key_Escape);
            QCoreApplication::processEvents();
            EXPECT_FALSE(menu->isVisible());
            EXPECT_EQ(session.depth(), 2u) << "the first Escape only closes the menu";
            // The key goes where the user's keys go: the focused widget.
            QWidget* focused = QApplication::focusWidget();
            QTest::keyClick(focused != nullptr ? focused : &session.window, Qt::Key_Escape);
            QCoreApplication::processEvents();
            session.advance(1);
            EXPECT_EQ(session.depth(), 1u) << "the second Escape goes back";
        });
    }
}

TEST_F(DesktopMenu, PageShortcutsDoNothingWhereTheirPageIsNot) {
    hosttest::runSession([](Session& session) {
        const auto plays = platform::playCount();
        key(session, Qt::Key_Space);
        key(session, Qt::Key_D, Qt::ControlModifier);
        key(session, Qt::Key_Left, Qt::AltModifier);
        EXPECT_EQ(platform::playCount(), plays);
        EXPECT_EQ(session.depth(), 1u);
        EXPECT_FALSE(session.window.menus().action("Play")->isEnabled());
        EXPECT_FALSE(session.window.menus().action("Back")->isEnabled());
    });
}

TEST_F(DesktopMenu, TheMenuBarHoldsTheMenusAndItsActionsWorkByMouse) {
    hosttest::runSession([](Session& session) {
        std::vector<std::string> titles;
        for (QAction* menu : session.window.menuBar().actions()) {
            titles.push_back(menu->text().toStdString());
        }
        EXPECT_EQ(titles, (std::vector<std::string>{"File", "Sound", "View", "Help"}));
        EXPECT_GT(session.window.menuBarHeight(), 0);
        EXPECT_EQ(session.window.height(), 480 + session.window.menuBarHeight());

        // A click on "Help", then on "About" in the menu it opens.
        QMenu* help = session.window.menus().menu("Help");
        ASSERT_NE(help, nullptr);
        QTest::mouseClick(&session.window.menuBar(), Qt::LeftButton, Qt::NoModifier,
                          session.window.menuBar().actionGeometry(help->menuAction()).center());
        QCoreApplication::processEvents();
        ASSERT_TRUE(help->isVisible());
        QAction* about = session.window.menus().action("About");
        QTest::mouseClick(help, Qt::LeftButton, Qt::NoModifier,
                          help->actionGeometry(about).center());
        session.advance(1);
        EXPECT_NE(session.topAs<InfoPage>(), nullptr);
        session.window.menus().refresh();
        EXPECT_FALSE(about->isEnabled()) << "the info page is shown already";

        // A row still opens under the bar: clicks map below it.
        key(session, Qt::Key_Left, Qt::AltModifier);
        openPlayPage(session);
    });
}

TEST_F(DesktopMenu, ShortcutsWorkWithTheBarHidden) {
    hosttest::runSession([](Session& session) {
        session.window.menuBar().hide();
        EXPECT_EQ(session.window.menuBarHeight(), 0);
        key(session, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_NE(session.topAs<LovePage>(), nullptr);
        key(session, Qt::Key_Left, Qt::AltModifier);
        EXPECT_EQ(session.depth(), 1u);
    });
}

TEST_F(DesktopMenu, VolumeTitlesShowThePercentage) {
    hosttest::runSession([](Session& session) {
        auto& menus = session.window.menus();
        const auto titles = [&] {
            emit menus.menu("Sound")->aboutToShow();
            return std::vector<std::string>{menus.action("Volume Up")->text().toStdString(),
                                            menus.action("Volume Down")->text().toStdString(),
                                            menus.action("Mute")->text().toStdString()};
        };
        EXPECT_EQ(titles(), (std::vector<std::string>{"Volume Up (100%)", "Volume Down (100%)",
                                                      "Mute (100%)"}));
        EXPECT_FALSE(menus.action("Volume Up")->isEnabled());
        key(session, Qt::Key_Down, Qt::ControlModifier);
        key(session, Qt::Key_Down, Qt::ControlModifier);
        key(session, Qt::Key_Down, Qt::ControlModifier);
        EXPECT_EQ(titles(),
                  (std::vector<std::string>{"Volume Up (70%)", "Volume Down (70%)", "Mute (70%)"}));
        key(session, Qt::Key_M, Qt::ControlModifier);
        EXPECT_EQ(titles()[2], "Mute (0%)");
        EXPECT_TRUE(menus.action("Mute")->isChecked());
        // Louder unmutes, from the level that was kept.
        key(session, Qt::Key_Up, Qt::ControlModifier);
        EXPECT_EQ(titles(),
                  (std::vector<std::string>{"Volume Up (80%)", "Volume Down (80%)", "Mute (80%)"}));
        EXPECT_FALSE(menus.action("Mute")->isChecked());
    });
}

TEST_F(DesktopMenu, TheFavouriteTitleFollowsTheMark) {
    hosttest::runSession([](Session& session) {
        openPlayPage(session);
        auto& menus = session.window.menus();
        menus.refresh();
        EXPECT_EQ(menus.action("Add to Favourites")->text().toStdString(), "Add to Favourites");
        key(session, Qt::Key_D, Qt::ControlModifier);
        session.advance(PlayPage::kBadgeFlashLength);
        menus.refresh();
        EXPECT_EQ(menus.action("Add to Favourites")->text().toStdString(),
                  "Remove from Favourites");
        key(session, Qt::Key_D, Qt::ControlModifier);
        session.advance(PlayPage::kBadgeFlashLength);
        EXPECT_FALSE(isFavourite());
    });
}

TEST_F(DesktopMenu, OutputDeviceOffersOnlyTheSystemDefaultWithoutASoundServer) {
    // SDL's silent stand-in device is never offered: choosing it would be
    // saved and play nothing. The server's devices: SoundServerTest.
    hosttest::runSession([](Session& session) {
        openPlayPage(session);
        auto items = openedItems(session.window.menus().action("Output Device"));
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(items[0]->text().toStdString(), "System default");
        EXPECT_TRUE(items[0]->isChecked());
        items[0]->trigger();
        key(session, Qt::Key_Space);
        EXPECT_EQ(platform::playingSoundCount(), 1u) << "the page's sound is still registered";
    });
    EXPECT_EQ(DesktopPreferences().outputDevice(), "");
}

TEST_F(DesktopMenu, VoiceChatWithoutASoundServerIsDisabledWithItsReasonAndTheChoicesAreKept) {
    // On a real server: VoiceChatTest.
    hosttest::runSession([](Session& session) {
        auto& menus = session.window.menus();
        emit menus.menu("Sound")->aboutToShow();
        QAction* voiceChat = menus.action("Play into Voice Chat");
        ASSERT_NE(voiceChat, nullptr);
        EXPECT_EQ(voiceChat->text().toStdString(), "Play into Voice Chat (no sound server)");
        EXPECT_FALSE(voiceChat->isEnabled());
        EXPECT_FALSE(voiceChat->isChecked());

        auto microphones = openedItems(menus.action("Microphone"));
        ASSERT_EQ(microphones.size(), 2u);
        EXPECT_EQ(microphones[0]->text().toStdString(), "System default");
        EXPECT_TRUE(microphones[0]->isChecked());
        EXPECT_EQ(microphones[1]->text().toStdString(), "None");
        microphones[1]->trigger();
        EXPECT_TRUE(openedItems(menus.action("Microphone"))[1]->isChecked());

        QAction* hear = menus.action("Hear Sounds Myself");
        emit menus.menu("Sound")->aboutToShow();
        EXPECT_TRUE(hear->isChecked());
        hear->trigger();
        emit menus.menu("Sound")->aboutToShow();
        EXPECT_FALSE(hear->isChecked());
        hear->trigger();
        platform::setVoiceChatMicrophone(std::string());
    });
    const DesktopPreferences kept;
    EXPECT_EQ(kept.voiceChatMicrophone(), std::nullopt);
    EXPECT_TRUE(kept.hearSoundsMyself());
    EXPECT_FALSE(kept.voiceChat());
}

fs::path makeBoardFolder(const std::string& name) {
    const fs::path folder = sbtest::tempDir() / "boards" / name;
    sbtest::writeFile(folder / "Data.XML", "<Data/>");
    return folder;
}

TEST_F(DesktopMenu, OpenRecentListsTheBundledSoundsThenTheLastTenBoardsMostRecentFirst) {
    std::vector<fs::path> boards;
    for (int i = 0; i < 12; ++i) {
        boards.push_back(makeBoardFolder("Board " + std::to_string(i)));
        LastOpenedBoard::remember(boards.back());
    }
    LastOpenedBoard::remember(boards[5]);  // again: moves to the top, not listed twice
    fs::remove_all(boards[10]);
    hosttest::runSession([&](Session& session) {
        const auto items = openedItems(session.window.menus().action("Open Recent"));
        std::vector<std::string> titles;
        for (QAction* item : items) titles.push_back(item->text().toStdString());
        const std::string place = " — " + (sbtest::tempDir() / "boards").string();
        EXPECT_EQ(titles,
                  (std::vector<std::string>{"Sounds That Came With Soundboard", "Board 5" + place,
                                            "Board 11" + place, "Board 10" + place + " (not found)",
                                            "Board 9" + place, "Board 8" + place, "Board 7" + place,
                                            "Board 6" + place, "Board 4" + place, "Board 3" + place,
                                            "Board 2" + place}));
        ASSERT_EQ(items.size(), 11u);
        EXPECT_FALSE(items[3]->isEnabled());
        // Choosing one opens it and puts it first.
        items[4]->trigger();
        EXPECT_EQ(platform::Bundle::mainBundle()->bundlePath(), boards[9]);
        EXPECT_EQ(DesktopPreferences().recentBoards().front(), boards[9]);
        EXPECT_EQ(LastOpenedBoard::recall(false), boards[9]);
        // From a board, the first item goes back to the bundled sounds, also at the next start.
        openedItems(session.window.menus().action("Open Recent")).front()->trigger();
        EXPECT_EQ(platform::Bundle::mainBundle()->bundlePath(),
                  fs::path(SB_HOST_SOURCE_BUNDLE).lexically_normal());
    });
    EXPECT_EQ(LastOpenedBoard::recall(), std::nullopt);
}

TEST_F(DesktopMenu, CheckBoardShowsTheCommandLinesReport) {
    hosttest::runSession([](Session& session) {
        session.window.menus().action("Check Board")->trigger();
        session.window.dialogs().backgroundWork().waitForWork();
        const std::string text = messageText(session);
        EXPECT_NE(text.find(std::string(SB_HOST_SOURCE_BUNDLE) + ": usable"), std::string::npos)
            << text;
    });
}

// A board whose sounds cannot all be played says so once when it opens, with
// the count and where the report is; its silent sound says so when played. The
// application's own sounds open without a word.
TEST_F(DesktopMenu, ABoardWithProblemsSaysSoAtOpenAndOnThePlayPageOfItsSilentSound) {
    const fs::path source = sbtest::tempDir() / "problem source";
    for (const char* name : {"1 Fine.wav", "2 Gone.wav", "3 Broken.wav"}) {
        fs::create_directories(source);
        testaudio::writeTone(source / name, {testaudio::wavFormat(), 22050, 1, 0.3, 0.3, 440.0});
    }
    const fs::path board = sbtest::tempDir() / "problem board";
    media::CancellationFlag notCancelled;
    ASSERT_TRUE(BoardMaker().make(source, board, notCancelled).outcome.done());
    fs::remove(board / "002.aiff");
    sbtest::writeFile(board / "003.aiff", "FORM but not a sound");
    const struct {
        fs::path folder;
        const char* notice;  // what the opening says, or "" for nothing
    } cases[] = {{board, "has 2 problems"}, {SB_HOST_SOURCE_BUNDLE, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        hosttest::runSession(
            [&](Session& session) {
                BoardOpeningCheck::waitForAll();
                session.advance(0);
                if (*c.notice == '\0') {
                    EXPECT_EQ(session.window.dialogs().message(), nullptr) << messageText(session);
                    return;
                }
                const std::string opening = messageText(session);
                EXPECT_NE(opening.find(c.notice), std::string::npos) << opening;
                EXPECT_NE(opening.find("Check Board"), std::string::npos) << opening;
                session.window.dialogs().message()->accept();
                QApplication::setActiveWindow(&session.window);
                // The second row's file is gone: its play button tells.
                session.click(session.rowPoint({0, 1}));
                session.advance(1);
                ASSERT_NE(session.topAs<PlayPage>(), nullptr);
                play();
                const std::string played = messageText(session);
                EXPECT_NE(played.find("“2 Gone” cannot be played"), std::string::npos) << played;
            },
            {}, c.folder);
    }
}

TEST_F(DesktopMenu, PreferencesSurviveARestartAndStayOutOfTheFavourites) {
    fs::path favourites;
    std::string favouritesBefore;
    hosttest::runSession([&](Session& session) {
        favourites = platform::UserDefaults::standardUserDefaults().filePath();
        favouritesBefore = fs::exists(favourites) ? sbtest::readFile(favourites) : "";
        key(session, Qt::Key_Down, Qt::ControlModifier);
        key(session, Qt::Key_M, Qt::ControlModifier);
        key(session, Qt::Key_Equal, Qt::ControlModifier);
        key(session, Qt::Key_Equal, Qt::ControlModifier);
        session.window.move(40, 30);
    });
    EXPECT_EQ(fs::exists(favourites) ? sbtest::readFile(favourites) : "", favouritesBefore);
    EXPECT_NE(DesktopPreferences::file(), favourites);

    platform::setSystemSoundVolume(100);
    platform::setSystemSoundMuted(false);
    platform::Bundle::resetMainBundle();
    hosttest::runSession([](Session& session) {
        EXPECT_EQ(platform::systemSoundVolume(), 90);
        EXPECT_TRUE(platform::isSystemSoundMuted());
        EXPECT_DOUBLE_EQ(session.window.zoom(), 1.5);
        EXPECT_EQ(session.window.pos(), QPoint(40, 30));
    });
}

TEST_F(DesktopMenu, AWindowLeftOffScreenComesBackOntoIt) {
    DesktopPreferences().setWindowFrame({5000, -900, 320, 500});
    hosttest::runSession([](Session& session) {
        const QRect visible = session.window.screen()->availableGeometry();
        EXPECT_TRUE(visible.contains(QRect(session.window.pos(), session.window.size())))
            << session.window.pos().x() << "," << session.window.pos().y();
    });
}

}  // namespace
