// What the window draws: the model at the current instant, frames only while
// something moves, the banner's page, and the shake of a vibration.

#include "HostSession.h"

#include "Classes/MainPage.h"
#include "Classes/PlayPage.h"
#include "Classes/Reference.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Host/Paint/HostFonts.h"
#include "Platform/UI/ShakeEffect.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <limits>

namespace {

using hosttest::Session;
using Part = platform::NavigationBarLayout::Part;

QRect pageArea(const QImage& frame) {
    const int bar = static_cast<int>(platform::NavigationController::kNavigationBarHeight);
    return QRect(0, bar, frame.width(), frame.height() - bar);
}

QRect barArea(const QImage& frame) {
    return QRect(0, 0, frame.width(),
                 static_cast<int>(platform::NavigationController::kNavigationBarHeight));
}

TEST(HostDrawingTest, TheFirstFrameShowsTheBarTheListAndTheBanner) {
    hosttest::runSession([](Session& session) {
        const QImage frame = session.frame();
        EXPECT_EQ(frame.size(), QSize(320, 480));
        EXPECT_GT(session.window.framesPainted(), 0u);
        EXPECT_GT(hosttest::distinctColours(frame.copy(barArea(frame))), 10u);
        EXPECT_GT(hosttest::distinctColours(frame.copy(pageArea(frame))), 20u);
        // The banner page's own background colour fills the banner.
        auto banner = session.topAs<MainPage>()->Ad;
        const auto corner = banner->convertPointToAncestor({banner->frame().width - 3, 3}, nullptr);
        EXPECT_EQ(frame.pixelColor(QPointF(corner.x, corner.y).toPoint()),
                  QColor(0x6c, 0x5c, 0xe7));
        // Its picture, a file beside the page, is drawn at the left.
        const auto picture = banner->convertPointToAncestor({4, 4}, nullptr);
        const QRect pictureArea(QPointF(picture.x, picture.y).toPoint(), QSize(40, 40));
        EXPECT_GT(hosttest::distinctColours(frame.copy(pictureArea)), 5u);
    });
}

TEST(HostDrawingTest, FramesAreDrawnOnlyWhileSomethingMoves) {
    hosttest::runSession([](Session& session) {
        session.window.repaint();
        EXPECT_FALSE(session.window.isFrameTimerRunning()) << "an idle window has no timer";

        auto* main = session.topAs<MainPage>();
        session.click(session.barButtonPoint(Part::kLeft));
        EXPECT_TRUE(session.window.isFrameTimerRunning());
        // Halfway, the panel is drawn between its two places.
        const QImage closed = session.frame();
        session.advance(MainPage::kOptionsAnimationDuration / 2);
        session.window.repaint();
        EXPECT_TRUE(session.window.isFrameTimerRunning());
        const double y = main->optionView->presentationFrame().y;
        EXPECT_GT(y, MainPage::kOptionsClosedFrame.y);
        EXPECT_LT(y, MainPage::kOptionsOpenFrame.y);
        EXPECT_GT(hosttest::differingPixels(closed, session.frame(), pageArea(closed)), 500);

        session.advance(MainPage::kOptionsAnimationDuration);
        session.window.repaint();
        EXPECT_FALSE(session.window.isFrameTimerRunning()) << "the timer stops with the panel";
        const auto painted = session.window.framesPainted();
        QCoreApplication::processEvents();
        EXPECT_EQ(session.window.framesPainted(), painted);
    });
}

TEST(HostDrawingTest, TheFrameTimerStopsWithTheAnimationEvenWhenNothingIsDrawn) {
    hosttest::runSession([](Session& session) {
        session.click(session.barButtonPoint(Part::kLeft));
        ASSERT_TRUE(session.window.isFrameTimerRunning());
        // A minimised window draws no frames: its ticks must stop the timer themselves.
        session.window.hide();
        session.window.frameTick();
        EXPECT_TRUE(session.window.isFrameTimerRunning()) << "the panel still moves";
        const auto painted = session.window.framesPainted();
        session.clock.advance(MainPage::kOptionsAnimationDuration * 2);
        session.window.frameTick();
        QCoreApplication::processEvents();
        EXPECT_FALSE(session.window.isFrameTimerRunning());
        EXPECT_EQ(session.window.framesPainted(), painted);
    });
}

TEST(HostDrawingTest, APushSlidesTheNewPageInFromTheRight) {
    hosttest::runSession([](Session& session) {
        session.window.repaint();
        session.click(session.rowPoint({0, 0}));
        session.window.repaint();
        EXPECT_TRUE(session.window.isFrameTimerRunning());
        const QImage start = session.frame();
        session.advance(platform::PageTransitions::kDuration);
        session.window.repaint();
        const QImage end = session.frame();
        EXPECT_FALSE(session.window.isFrameTimerRunning());
        // At the start the old list still fills the page; at the end the play page does.
        EXPECT_GT(hosttest::differingPixels(start, end, pageArea(end)), 5000);
    });
}

TEST(HostDrawingTest, AVibrationShakesThePageButNotTheBar) {
    hosttest::runSession([](Session& session) {
        Reference::setBool(true, "vibrate");
        session.click(session.rowPoint({0, 0}));
        session.advance(1);
        session.window.repaint();
        const QImage still = session.frame();
        const auto vibrations = platform::vibrationCount();

        session.click(session.controlPoint("Play"));
        EXPECT_EQ(platform::vibrationCount(), vibrations + 1);
        EXPECT_TRUE(session.window.isFrameTimerRunning());
        // The widest swing of the shake.
        session.advance(platform::ShakeEffect::kDuration / (4 * platform::ShakeEffect::kSwings));
        const QImage shaken = session.frame();
        EXPECT_GT(hosttest::differingPixels(still, shaken, pageArea(still)), 500);
        EXPECT_EQ(hosttest::differingPixels(still, shaken, barArea(still)), 0);

        session.advance(platform::ShakeEffect::kDuration);
        // The play button shows the sound's progress until the clip ends (the
        // bundled clips last under 3 s).
        session.advance(3.0);
        session.window.repaint();
        EXPECT_EQ(hosttest::differingPixels(still, session.frame(), still.rect()), 0);
        EXPECT_FALSE(session.window.isFrameTimerRunning());
    });
}

TEST(HostDrawingTest, ShakeOffsetsSwingAndDieAway) {
    platform::ShakeEffect shake;
    EXPECT_EQ(shake.offsetAt(5), 0.0);
    shake.start(10);
    const double swing = platform::ShakeEffect::kDuration / (4 * platform::ShakeEffect::kSwings);
    EXPECT_GT(shake.offsetAt(10 + swing), 0.8 * platform::ShakeEffect::kAmplitude);
    EXPECT_LT(shake.offsetAt(10 + 3 * swing), -0.7 * platform::ShakeEffect::kAmplitude);
    EXPECT_LT(std::abs(shake.offsetAt(10 + 13 * swing)), std::abs(shake.offsetAt(10 + swing)));
    EXPECT_TRUE(shake.isRunning(10));
    EXPECT_FALSE(shake.isRunning(10 + platform::ShakeEffect::kDuration));
    EXPECT_EQ(shake.offsetAt(10 + platform::ShakeEffect::kDuration), 0.0);
}

TEST(HostFontsTest, AnySizeTheModelAsksForGivesADrawableFont) {
    using platform::HostFonts;
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    const struct {
        double asked;
        int pixels;
    } cases[] = {
        {17.0, 17},
        {12.4, 12},
        {0.2, 1},
        {-5.0, 1},
        {std::numeric_limits<double>::quiet_NaN(), 1},
        {-kInfinity, 1},
        {1e9, HostFonts::kLargestPixelSize},
        {1e300, HostFonts::kLargestPixelSize},
        {kInfinity, HostFonts::kLargestPixelSize},
    };
    hosttest::runSession([&](Session&) {
        for (const auto& item : cases) {
            SCOPED_TRACE(item.asked);
            const QFont font = HostFonts::font(item.asked, true);
            EXPECT_EQ(font.pixelSize(), item.pixels);
            EXPECT_TRUE(font.bold());
        }
    });
}

}  // namespace
