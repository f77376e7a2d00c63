// What the window shows while the user acts on it: a control held down looks
// pressed, a playing sound fills the play button's ring, lists show scroll
// indicators while they move, and a mark made by another running copy of the
// program shows on the next page that appears.

#include "HostSession.h"

#include "../Audio/SoundFiles.h"
#include "Classes/Catalogue/Catalogue.h"
#include "Classes/InfoPage.h"
#include "Classes/LovePage.h"
#include "Classes/MainPage.h"
#include "Classes/PlayPage.h"
#include "Classes/Reference.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Host/Input/InputRouter.h"
#include "Platform/Host/Paint/PageTransitions.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/ScrollIndicators.h"
#include "Platform/UI/Window.h"

#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;
using hosttest::differingPixels;
using hosttest::Session;
using platform::IndexPath;
using Part = platform::NavigationBarLayout::Part;

constexpr double kSlide = platform::PageTransitions::kDuration;

QRect windowRect(const platform::View& view, platform::Rect local) {
    const platform::Point origin = view.convertPointToAncestor({local.x, local.y}, nullptr);
    return QRectF(origin.x, origin.y, local.width, local.height).toAlignedRect();
}

QRect controlRect(Session& session, std::string_view name) {
    auto root = session.application.keyWindowPointer();
    platform::View* page = root ? platform::InputRouter::topPageView(*root) : nullptr;
    auto control = page ? page->findView(name) : nullptr;
    if (!control) return {};
    const platform::Rect frame = control->presentationFrame();
    return windowRect(*control, {0, 0, frame.width, frame.height});
}

QRect rowRect(Session& session, IndexPath indexPath) {
    auto table = session.table();
    const platform::Rect row = table->rectForRowAtIndexPath(indexPath);
    const platform::Point offset = table->contentOffset();
    return windowRect(*table, {row.x - offset.x, row.y - offset.y, row.width, row.height});
}

QRect barButtonRect(Session& session, Part part) {
    const QPoint centre = session.barButtonPoint(part);
    const double height = platform::NavigationBarLayout::kButtonHeight;
    // Bar buttons are at least 36 points wide.
    return QRectF(centre.x() - 16, centre.y() - height / 2 + 2, 32, height - 4).toAlignedRect();
}

void openPlayPage(Session& session, int row) {
    session.click(session.rowPoint({0, row}));
    session.advance(kSlide + 0.1);
    ASSERT_NE(session.topAs<PlayPage>(), nullptr);
}

void openFirstPlayPage(Session& session) {
    openPlayPage(session, 0);
}

void press(Session& session, QPoint at) {
    QTest::mousePress(&session.window, Qt::LeftButton, Qt::NoModifier, at);
    QCoreApplication::processEvents();
}
void moveTo(Session& session, QPoint at) {
    QTest::mouseMove(&session.window, at);
    QCoreApplication::processEvents();
}
void release(Session& session, QPoint at) {
    QTest::mouseRelease(&session.window, Qt::LeftButton, Qt::NoModifier, at);
    QCoreApplication::processEvents();
}

struct PressCase {
    const char* name;
    std::function<void(Session&)> open;
    std::function<QRect(Session&)> area;
    // What a click on the control does, given the play count before it.
    std::function<bool(Session&, std::uint64_t)> activated;
    // Whether the pointer can leave the control without moving far enough to drag.
    bool leavesWithoutDragging;
};

const std::vector<PressCase>& pressCases() {
    static const std::vector<PressCase> cases{
        {"play button", openFirstPlayPage, [](Session& s) { return controlRect(s, "Play"); },
         [](Session&, std::uint64_t plays) { return platform::playCount() > plays; }, true},
        {"sound row", [](Session&) {},
         [](Session& s) {
             return rowRect(s, {0, 1});
         },
         [](Session& s, std::uint64_t) { return s.depth() == 2; }, true},
        {"back button", openFirstPlayPage, [](Session& s) { return barButtonRect(s, Part::kBack); },
         [](Session& s, std::uint64_t) { return s.depth() == 1; }, false},
        {"favourites button", [](Session&) {},
         [](Session& s) { return barButtonRect(s, Part::kRight); },
         [](Session& s, std::uint64_t) { return s.topAs<LovePage>() != nullptr; }, false},
    };
    return cases;
}

TEST(HostFeedbackTest, AControlLooksPressedWhileHeldOnItAndTheReleaseClicksIt) {
    for (const PressCase& item : pressCases()) {
        SCOPED_TRACE(item.name);
        hosttest::runSession([&item](Session& session) {
            item.open(session);
            const QRect area = item.area(session);
            ASSERT_FALSE(area.isEmpty());
            const QImage idle = session.frame();
            const std::uint64_t plays = platform::playCount();
            // Just inside the bottom edge; just below it is less than a drag away.
            const QPoint inside(area.center().x(), area.bottom() - 1);

            press(session, inside);
            EXPECT_GT(differingPixels(idle, session.frame(), area),
                      area.width() * area.height() / 4);
            EXPECT_FALSE(session.window.isFrameTimerRunning()) << "a held control does not animate";
            if (item.leavesWithoutDragging) {
                moveTo(session, inside + QPoint(0, 4));
                EXPECT_EQ(differingPixels(idle, session.frame(), area), 0) << "let go when left";
                moveTo(session, inside);
                EXPECT_GT(differingPixels(idle, session.frame(), area), 0) << "held when back";
            }
            EXPECT_FALSE(item.activated(session, plays)) << "nothing happens before the release";
            release(session, inside);
            EXPECT_TRUE(item.activated(session, plays));
        });
    }
}

TEST(HostFeedbackTest, ADragLetsGoOfThePressedControlAndDoesNotClickIt) {
    for (const PressCase& item : pressCases()) {
        SCOPED_TRACE(item.name);
        hosttest::runSession([&item](Session& session) {
            item.open(session);
            const QRect area = item.area(session);
            const QImage idle = session.frame();
            const std::uint64_t plays = platform::playCount();
            press(session, area.center());
            auto list = session.table();
            const double offset = list ? list->contentOffset().y : 0.0;
            moveTo(session, area.center() + QPoint(0, 12));  // a list scrolls with it
            if (!list || list->contentOffset().y == offset) {
                EXPECT_EQ(differingPixels(idle, session.frame(), area), 0) << "let go at once";
            }
            moveTo(session, area.center());
            release(session, area.center());
            EXPECT_FALSE(item.activated(session, plays));
            session.advance(platform::ScrollIndicators::kHold + platform::ScrollIndicators::kFade);
            EXPECT_EQ(differingPixels(idle, session.frame(), area), 0) << "drawn as untouched";
        });
    }
}

// A copy of the bundled content whose sounds all last `seconds`, so that a
// play goes on sounding at the audio's real pace while the test looks.
fs::path bundleWithLongSounds(double seconds) {
    const fs::path bundle = sbtest::tempDir() / "LongSounds";
    fs::copy(SB_HOST_SOURCE_BUNDLE, bundle, fs::copy_options::recursive);
    const std::string clip = sbtest::audio::makeAiff({8000, 1, 16}, seconds);
    for (const auto& entry : fs::directory_iterator(bundle)) {
        if (entry.path().extension() == ".aiff") sbtest::writeFile(entry.path(), clip);
    }
    return bundle;
}

TEST(HostFeedbackTest, APlayingSoundFillsThePlayButtonsRingUntilItEnds) {
    constexpr double kClip = 20.0;
    hosttest::runSession(
        [](Session& session) {
            openFirstPlayPage(session);
            const QRect button = controlRect(session, "Play");
            const QImage idle = session.frame();
            session.window.frameTick();
            ASSERT_FALSE(session.window.isFrameTimerRunning());

            session.click(button.center());
            ASSERT_EQ(platform::playingSoundCount(), 1u);
            int shown = differingPixels(idle, session.frame(), button);
            session.window.frameTick();
            EXPECT_TRUE(session.window.isFrameTimerRunning()) << "the ring moves while it plays";
            double elapsed = 0;
            for (double at : {5.0, 10.0, 15.0, 19.5}) {
                SCOPED_TRACE(at);
                session.advance(at - elapsed);
                elapsed = at;
                const int now = differingPixels(idle, session.frame(), button);
                EXPECT_GT(now, shown) << "the ring fills as the clip plays";
                shown = now;
            }
            session.advance(kClip);  // past the clip's end
            session.window.frameTick();
            EXPECT_EQ(differingPixels(idle, session.frame(), button), 0) << "no ring once it ends";
            EXPECT_FALSE(session.window.isFrameTimerRunning()) << "the window is idle again";
        },
        platform::HostOptions{}, bundleWithLongSounds(kClip));
}

struct ScrollCase {
    const char* name;
    // Opens the page and gives the scroll view that the action moves.
    std::function<std::shared_ptr<platform::ScrollView>(Session&)> open;
    std::function<void(Session&, QPoint inside)> scroll;
};

std::shared_ptr<platform::ScrollView> shortList(Session& session) {
    auto table = session.table();
    // The first category may fit on screen; give the list less room.
    table->setFrame({0, 0, 320, 120});
    session.advance(0);
    return table;
}

void wheel(Session& session, QPoint inside) {
    QWheelEvent event(QPointF(inside), QPointF(session.window.mapToGlobal(inside)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&session.window, &event);
    QCoreApplication::processEvents();
}

const std::vector<ScrollCase>& scrollCases() {
    static const std::vector<ScrollCase> cases{
        {"wheel on the list", shortList, wheel},
        {"drag on the list", shortList,
         [](Session& session, QPoint inside) {
             press(session, inside);
             moveTo(session, inside + QPoint(0, -20));
             moveTo(session, inside + QPoint(0, -40));
             release(session, inside + QPoint(0, -40));
         }},
        {"keys on the list", shortList,
         [](Session& session, QPoint) {
             for (int i = 0; i < 4; ++i) QTest::keyClick(&session.window, Qt::Key_Down);
             QCoreApplication::processEvents();
         }},
        {"wheel on the about page",
         [](Session& session) -> std::shared_ptr<platform::ScrollView> {
             openFirstPlayPage(session);
             session.click(session.controlPoint("Info"));
             session.advance(kSlide + 0.1);
             auto* info = session.topAs<InfoPage>();
             return info != nullptr ? info->scrollView : nullptr;
         },
         wheel},
    };
    return cases;
}

TEST(HostFeedbackTest, AScrollShowsAThinIndicatorThatFadesOutOnceItStops) {
    using platform::ScrollIndicators;
    for (const ScrollCase& item : scrollCases()) {
        SCOPED_TRACE(item.name);
        hosttest::runSession([&item](Session& session) {
            auto scrollView = item.open(session);
            ASSERT_TRUE(scrollView);
            const platform::Rect frame = scrollView->presentationFrame();
            const QRect area = windowRect(*scrollView, {0, 0, frame.width, frame.height});
            const QRect edge(area.right() - 7, area.top(), 8, area.height());
            const QRect content = area.adjusted(0, 0, -8, 0);
            session.frame();
            const platform::Point before = scrollView->contentOffset();

            item.scroll(session, area.center());
            ASSERT_NE(scrollView->contentOffset().y, before.y) << "the action scrolls";
            const QImage scrolling = session.frame();
            session.window.frameTick();
            EXPECT_TRUE(session.window.isFrameTimerRunning()) << "the fade needs frames";

            session.advance(ScrollIndicators::kHold + ScrollIndicators::kFade / 2);
            const QImage fading = session.frame();
            session.advance(ScrollIndicators::kFade);
            session.window.frameTick();
            EXPECT_FALSE(session.window.isFrameTimerRunning()) << "idle once it has faded";
            const QImage gone = session.frame();

            EXPECT_GT(differingPixels(scrolling, gone, edge), 20) << "the indicator showed";
            EXPECT_GT(differingPixels(fading, gone, edge), 0) << "it fades, not vanishes";
            EXPECT_GT(differingPixels(scrolling, fading, edge), 0);
            EXPECT_EQ(differingPixels(scrolling, gone, content), 0) << "only the edge changes";
        });
    }
}

TEST(HostFeedbackTest, AMarkMadeByAnotherCopyShowsWhenTheFavouritesNextAppear) {
    struct Case {
        const char* name;
        bool settingsExistBefore;
        int row;  // the sound marked; the settings stay between cases, marks add up
    };
    const Case cases[] = {
        {"the other copy makes the settings folder", false, 0},
        {"the other copy renames new settings over this copy's", true, 1},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        hosttest::runSession([&item](Session& session) {
            const fs::path settings = session.window.settingsWatcher().file();
            ASSERT_FALSE(settings.empty());
            if (item.settingsExistBefore) {
                Reference::setBool(true, "vibrate");
                ASSERT_TRUE(fs::exists(settings));
            } else {
                fs::remove_all(settings.parent_path());
                QCoreApplication::processEvents();
            }
            openPlayPage(session, item.row);
            const auto entry = session.topAs<PlayPage>()->curData;
            const std::string key = Catalogue::audioNumber(*entry);
            const std::string label = Catalogue::label(*entry);
            ASSERT_FALSE(Reference::boolForKey(key));
            session.click(session.barButtonPoint(Part::kBack));
            session.advance(kSlide + 0.1);

            QSignalSpy reloaded(&session.window.settingsWatcher(),
                                &platform::SettingsFileWatcher::settingsReloaded);
            platform::UserDefaults otherCopy(settings);  // its own store on the same file
            otherCopy.setBool(true, key);
            ASSERT_TRUE(otherCopy.synchronize());
            // Woken by the file system's notice; the deadline only bounds a failure.
            while (!Reference::boolForKey(key) && reloaded.wait(5000)) {
            }
            ASSERT_TRUE(Reference::boolForKey(key)) << "the store took the other copy's mark";
            EXPECT_EQ(Reference::boolForKey("vibrate"), item.settingsExistBefore)
                << "and kept this copy's own settings";

            session.click(session.barButtonPoint(Part::kRight));
            session.advance(kSlide + 0.1);
            ASSERT_NE(session.topAs<LovePage>(), nullptr);
            auto list = session.table();
            ASSERT_EQ(list->numberOfRowsInSection(0), item.row + 1);
            EXPECT_EQ(list->cellForRowAtIndexPath({0, item.row})->textLabel().text(), label);

            session.click(session.rowPoint({0, item.row}));
            session.advance(kSlide + 0.1);
            const auto right = session.bar().right;
            ASSERT_TRUE(right && right->systemItem());
            EXPECT_EQ(*right->systemItem(), platform::kBarButtonSystemItemTrash)
                << "its play page offers to remove the mark";
        });
    }
}

}  // namespace
