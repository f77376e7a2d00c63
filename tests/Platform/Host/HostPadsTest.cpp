// The pads page through real Qt input on the offscreen window: a click plays
// and stays, the keys reach and move between pads, the page scrolls, every
// pad reads as a button, and the window opens on the pads page again.

#include "Classes/CommandNames.h"
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
#include "Platform/Host/Input/KeyboardFocus.h"
#include "Platform/Host/Paint/PageTransitions.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QTest>
#include <QWheelEvent>

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using hosttest::Session;

class HostPads : public padstest::PadsWindowTest {};
using padstest::key;
using padstest::openPads;

// The pad the focus ring is on, by its label; empty for none.
std::string focusedPad(Session& session) {
    const auto node = session.window.keyboardFocus().focusedNode();
    auto* page = session.topAs<PadsPage>();
    if (!node || page == nullptr) return {};
    for (const auto& pad : page->grid()->shownPads()) {
        if (platform::PageNode::of(platform::PageNode::Kind::kView, pad.get()) == *node) {
            return pad->accessibilityName();
        }
    }
    return {};
}

struct ReadButton {
    std::string name;
    std::string description;
};

void collectButtons(QAccessibleInterface* node, std::vector<ReadButton>& out) {
    for (int index = 0; index < node->childCount(); ++index) {
        QAccessibleInterface* child = node->child(index);
        if (child == nullptr) continue;
        if (child->role() == QAccessible::Button) {
            out.push_back({child->text(QAccessible::Name).toStdString(),
                           child->text(QAccessible::Description).toStdString()});
        }
        collectButtons(child, out);
    }
}

std::vector<ReadButton> readButtons(Session& session) {
    std::vector<ReadButton> buttons;
    collectButtons(QAccessible::queryAccessibleInterface(&session.window), buttons);
    return buttons;
}

const ReadButton* findButton(const std::vector<ReadButton>& buttons, const std::string& name) {
    for (const auto& button : buttons) {
        if (button.name == name) return &button;
    }
    return nullptr;
}

TEST_F(HostPads, AClickOnAPadPlaysItOnceAndThePageStays) {
    hosttest::runSession([](Session& session) {
        PadsPage* page = openPads(session);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(session.depth(), 2u) << "over the main page";
        EXPECT_EQ(session.bar().title, "Pads");

        const auto plays = platform::playCount();
        session.click(session.controlPoint("Rimshot"));
        EXPECT_EQ(platform::playCount(), plays + 1) << "one click, one play";
        EXPECT_EQ(session.top(), page) << "the page stays";
        auto pad = std::dynamic_pointer_cast<PadButton>(page->grid()->findView("Rimshot"));
        ASSERT_NE(pad, nullptr);
        ASSERT_NE(pad->playbackSound(), 0u);
        EXPECT_EQ(platform::playingSoundCount(pad->playbackSound()), 1u);
        EXPECT_TRUE(platform::playbackProgress(pad->playbackSound()))
            << "the pad shows its sound's progress";
        const auto buttons = readButtons(session);
        const ReadButton* read = findButton(buttons, "Rimshot");
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->description, "Classics, playing");

        key(session, Qt::Key_Escape);
        EXPECT_NE(session.topAs<MainPage>(), nullptr) << "Back leads to the main page";
    });
}

// A sound started from outside the window (a hotkey, another program) shows
// on its pad at once, and the window draws it without waiting for input.
TEST_F(HostPads, ASoundPlayedByAnotherTriggerShowsOnItsPadAtOnce) {
    hosttest::runSession([](Session& session) {
        PadsPage* page = openPads(session);
        ASSERT_NE(page, nullptr);
        session.advance(5);  // every animation over
        QCoreApplication::processEvents();
        const auto painted = session.window.framesPainted();
        auto pad = std::dynamic_pointer_cast<PadButton>(page->grid()->findView("Boing"));
        ASSERT_NE(pad, nullptr);
        ASSERT_TRUE(platform::Application::sharedApplication().sendCommand(
            command_names::kPlaySound, "005"));
        ASSERT_NE(pad->playbackSound(), 0u);
        EXPECT_TRUE(platform::playbackProgress(pad->playbackSound()));
        QCoreApplication::processEvents();
        EXPECT_GT(session.window.framesPainted(), painted) << "drawn without any input";
        EXPECT_TRUE(session.window.isFrameTimerRunning()) << "its ring is drawn as it plays";
    });
}

TEST_F(HostPads, EveryShownPadReadsAsAButtonWithItsCategoryAndMark) {
    hosttest::runSession([](Session& session) {
        Reference::setBool(true, "010");
        ASSERT_NE(openPads(session), nullptr);
        const auto buttons = readButtons(session);
        const struct {
            const char* name;
            const char* description;
        } expected[] = {
            {"Air Horn", "Classics"},      {"Salt & Pepper <3 \"Hi\"", "Classics"},
            {"Doorbell", "Classics"},      {"Slide Whistle", "Cartoon"},
            {"Pop", "Cartoon, favourite"},
        };
        for (const auto& pad : expected) {
            SCOPED_TRACE(pad.name);
            const ReadButton* read = findButton(buttons, pad.name);
            ASSERT_NE(read, nullptr);
            EXPECT_EQ(read->description, pad.description);
        }
        EXPECT_EQ(findButton(buttons, "Hello!"), nullptr)
            << "pads below the fold are not made until they show";
    });
}

TEST_F(HostPads, TabReachesThePadsAndTheArrowsMoveBetweenThem) {
    hosttest::runSession([](Session& session) {
        PadsPage* page = openPads(session);
        ASSERT_NE(page, nullptr);
        key(session, Qt::Key_Tab);  // Back
        key(session, Qt::Key_Tab);
        EXPECT_EQ(focusedPad(session), "Air Horn");
        const int columns = page->grid()->layout().columns();
        ASSERT_EQ(columns, 3);
        const struct {
            Qt::Key key;
            const char* pad;
        } moves[] = {
            {Qt::Key_Right, "Rimshot"}, {Qt::Key_Down, "Boing"},         {Qt::Key_Down, "Doorbell"},
            {Qt::Key_Down, "Pop"},      {Qt::Key_Left, "Slide Whistle"}, {Qt::Key_Left, "Doorbell"},
            {Qt::Key_Up, "Boing"},
        };
        for (const auto& move : moves) {
            SCOPED_TRACE(move.pad);
            key(session, move.key);
            EXPECT_EQ(focusedPad(session), move.pad);
        }
        const auto plays = platform::playCount();
        key(session, Qt::Key_Space);
        key(session, Qt::Key_Return);
        EXPECT_EQ(platform::playCount(), plays + 2) << "Space and Enter play the focused pad";
        EXPECT_EQ(session.top(), page);

        // Down past the shown rows scrolls the grid on.
        for (int press = 0; press < 12; ++press) key(session, Qt::Key_Down);
        const std::string last = focusedPad(session);
        EXPECT_TRUE(last == "Bye Bye" || last == "Oops" || last == "Well Done")
            << last << ": the arrows reach the last row";
        EXPECT_GT(page->grid()->contentOffset().y, 0);
    });
}

TEST_F(HostPads, ThePageScrollsByKeysAndWheelAndShowsOnlyWhatIsInView) {
    hosttest::runSession([](Session& session) {
        PadsPage* page = openPads(session);
        ASSERT_NE(page, nullptr);
        auto grid = page->grid();
        const double bottom = grid->contentSize().height - grid->frame().height;
        ASSERT_GT(bottom, 0);
        const auto shownAtTop = grid->shownPads().size();
        EXPECT_LT(shownAtTop, 30u) << "only the pads in view exist";

        key(session, Qt::Key_End);
        EXPECT_DOUBLE_EQ(grid->contentOffset().y, bottom);
        EXPECT_NE(grid->findView("Hello!"), nullptr);
        EXPECT_EQ(grid->findView("Air Horn"), nullptr) << "a pad out of view is recycled";
        key(session, Qt::Key_Home);
        EXPECT_DOUBLE_EQ(grid->contentOffset().y, 0);
        key(session, Qt::Key_PageDown);
        EXPECT_GT(grid->contentOffset().y, 0);
        key(session, Qt::Key_PageUp);
        EXPECT_DOUBLE_EQ(grid->contentOffset().y, 0);

        const QPoint inside = session.controlPoint("Rimshot");
        QWheelEvent wheel(inside, session.window.mapToGlobal(inside), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&session.window, &wheel);
        EXPECT_GT(grid->contentOffset().y, 0) << "the wheel scrolls the pads";
    });
}

TEST_F(HostPads, TheWindowOpensOnThePadsPageItWasLeftOn) {
    hosttest::runSession([](Session& session) {
        ASSERT_NE(openPads(session), nullptr);
        session.window.close();
    });
    EXPECT_TRUE(DesktopPreferences().padsPageOpen());
    hosttest::runSession([](Session& session) {
        session.advance(platform::PageTransitions::kDuration);
        ASSERT_NE(session.topAs<PadsPage>(), nullptr);
        EXPECT_EQ(session.depth(), 2u) << "the main page stays the root";
        key(session, Qt::Key_Escape);
        EXPECT_NE(session.topAs<MainPage>(), nullptr);
        session.window.close();
    });
    EXPECT_FALSE(DesktopPreferences().padsPageOpen()) << "left on the main page";
    hosttest::runSession([](Session& session) {
        session.advance(platform::PageTransitions::kDuration);
        EXPECT_NE(session.topAs<MainPage>(), nullptr);
    });
}

TEST_F(HostPads, AtEveryZoomAClickFindsItsPadAndThePageIsDrawnAtFullResolution) {
    for (const double zoom : {1.0, 1.5, 2.0, 3.0}) {
        SCOPED_TRACE(zoom);
        hosttest::runSession([zoom](Session& session) {
            session.window.setZoom(zoom);
            PadsPage* page = openPads(session);
            ASSERT_NE(page, nullptr);
            const auto plays = platform::playCount();
            session.click(session.controlPoint("Sad Trombone"));
            EXPECT_EQ(platform::playCount(), plays + 1);
            auto played =
                std::dynamic_pointer_cast<PadButton>(page->grid()->findView("Sad Trombone"));
            ASSERT_NE(played, nullptr);
            EXPECT_NE(played->playbackSound(), 0u) << "the click landed on its pad";
            const QImage frame = session.window.renderFrame(zoom);
            EXPECT_EQ(frame.size(),
                      QSize(static_cast<int>(320 * zoom), static_cast<int>(480 * zoom)));
            // Drawn, not blown up: text and edges give many shades.
            EXPECT_GT(hosttest::distinctColours(frame), 40u);
            for (const auto& pad : page->grid()->shownPads()) {
                const platform::Rect label = pad->subviews().front()->frame();
                EXPECT_LE(label.x + label.width, pad->frame().width) << pad->accessibilityName();
                EXPECT_LE(label.y + label.height, pad->frame().height) << pad->accessibilityName();
            }
        });
    }
}

TEST_F(HostPads, AfterAMemoryWarningUnderAnotherPageThePadsComeBackWhole) {
    hosttest::runSession([](Session& session) {
        PadsPage* page = openPads(session);
        ASSERT_NE(page, nullptr);
        std::weak_ptr<PadGrid> before = page->grid();
        // Open, from a pad's menu, covers the pads page with the sound's play page.
        QTest::keyClick(&session.window, Qt::Key_Tab);
        QTest::keyClick(&session.window, Qt::Key_Tab);
        key(session, Qt::Key_Menu);
        QMenu* menu = session.window.contextMenus().openMenu();
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            if (action->text() == "Open") action->trigger();
        }
        menu->close();
        session.advance(platform::PageTransitions::kDuration);
        ASSERT_NE(session.topAs<PlayPage>(), nullptr);

        session.application.didReceiveMemoryWarning();
        EXPECT_FALSE(page->isViewLoaded());
        EXPECT_TRUE(before.expired()) << "the grid went with the view";

        key(session, Qt::Key_Escape);
        ASSERT_EQ(session.top(), page);
        ASSERT_NE(page->grid(), nullptr);
        const auto plays = platform::playCount();
        session.click(session.controlPoint("Doorbell"));
        EXPECT_EQ(platform::playCount(), plays + 1);
    });
}

}  // namespace
