// Clicks and keys in the window reach the pages: rows open play pages, the
// bar's buttons navigate, the favourite button flashes its badge.

#include "HostSession.h"

#include "Classes/InfoPage.h"
#include "Classes/LovePage.h"
#include "Classes/MainPage.h"
#include "Classes/PlayPage.h"
#include "Classes/Reference.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Host/Paint/PageTransitions.h"

#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using hosttest::Session;
using platform::IndexPath;
using Part = platform::NavigationBarLayout::Part;

std::string rowText(Session& session, IndexPath indexPath) {
    auto cell = session.table()->cellForRowAtIndexPath(indexPath);
    return cell ? cell->textLabel().text() : std::string();
}

constexpr double kSlide = platform::PageTransitions::kDuration;

int rightSystemItem(Session& session) {
    const auto bar = session.bar();
    return bar.right && bar.right->systemItem() ? *bar.right->systemItem() : -1;
}

TEST(HostNavigationTest, ClickingARowOpensThatSoundAndTheBarShowsItsLabel) {
    for (int row : {0, 3, 7}) {
        SCOPED_TRACE("row " + std::to_string(row));
        hosttest::runSession([row](Session& session) {
            const std::string label = rowText(session, {0, row});
            ASSERT_FALSE(label.empty());
            session.click(session.rowPoint({0, row}));
            auto* page = session.topAs<PlayPage>();
            ASSERT_NE(page, nullptr);
            EXPECT_EQ(session.depth(), 2u);
            EXPECT_EQ(page->curData->attribute("label"), label);
            EXPECT_EQ(session.bar().title, label);
            EXPECT_EQ(session.bar().backTitle, std::optional<std::string>("Back"));
        });
    }
}

TEST(HostNavigationTest, TheBackButtonPopsThePlayPage) {
    hosttest::runSession([](Session& session) {
        session.click(session.rowPoint({0, 1}));
        ASSERT_NE(session.topAs<PlayPage>(), nullptr);
        std::weak_ptr<platform::Object> played = session.top()->weak_from_this();
        session.advance(1);

        session.click(session.barButtonPoint(Part::kBack));
        EXPECT_EQ(session.depth(), 1u);
        EXPECT_NE(session.topAs<MainPage>(), nullptr);
        EXPECT_TRUE(played.expired()) << "the popped page is released";
        EXPECT_FALSE(session.bar().backTitle);
        EXPECT_EQ(session.table()->indexPathForSelectedRow(), (IndexPath{0, 1}))
            << "the list shows the row it opened";
    });
}

TEST(HostNavigationTest, BarButtonsOpenTheFavouritesAndTheOptionsPanel) {
    hosttest::runSession([](Session& session) {
        auto* main = session.topAs<MainPage>();
        ASSERT_NE(main, nullptr);
        session.click(session.barButtonPoint(Part::kLeft));
        EXPECT_TRUE(main->OVopen);
        session.advance(MainPage::kOptionsAnimationDuration);
        EXPECT_EQ(main->optionView->presentationFrame(), MainPage::kOptionsOpenFrame);

        session.click(session.barButtonPoint(Part::kRight));
        EXPECT_NE(session.topAs<LovePage>(), nullptr);
        EXPECT_TRUE(session.bar().titleView) << "the favourites page shows its picture as title";
    });
}

TEST(HostNavigationTest, TheFavouriteButtonFlashesTheBadgeThenShowsTrash) {
    hosttest::runSession([](Session& session) {
        session.click(session.rowPoint({0, 2}));
        auto* page = session.topAs<PlayPage>();
        ASSERT_NE(page, nullptr);
        const std::string audioNumber = page->curData->attribute("audio_no").value_or("");
        ASSERT_FALSE(audioNumber.empty());
        session.advance(1);
        ASSERT_EQ(rightSystemItem(session), platform::kBarButtonSystemItemAdd);
        const QImage before = session.frame();

        session.click(session.barButtonPoint(Part::kRight));
        EXPECT_TRUE(Reference::boolForKey(audioNumber)) << "the mark is stored at the tap";
        // Instants after the tap: badge alpha and the button shown.
        const struct {
            double at;
            double alpha;
            int button;
        } timeline[] = {
            {0.2, 1.0, platform::kBarButtonSystemItemAdd},
            {0.7, 1.0, platform::kBarButtonSystemItemAdd},
            {1.5, 0.5, platform::kBarButtonSystemItemTrash},
            {1.6, 0.0, platform::kBarButtonSystemItemTrash},
        };
        double now = 0;
        for (const auto& step : timeline) {
            SCOPED_TRACE(step.at);
            session.advance(step.at - now);
            now = step.at;
            EXPECT_NEAR(page->loveImage->presentationAlpha(), step.alpha, 0.001);
            EXPECT_EQ(rightSystemItem(session), step.button);
            if (step.at == 0.7) {
                // The badge is drawn over the page where the layout puts it.
                const QPoint badge = session.controlPoint("Favourite badge");
                const QRect area(badge - QPoint(40, 40), QSize(80, 80));
                EXPECT_GT(hosttest::differingPixels(before, session.frame(), area), 1000);
            }
        }
        const QPoint badge = session.controlPoint("Favourite badge");
        EXPECT_EQ(hosttest::differingPixels(before, session.frame(),
                                            QRect(badge - QPoint(40, 40), QSize(80, 80))),
                  0);
    });
}

TEST(HostNavigationTest, TheInfoControlOpensTheInfoPageAndBackReturns) {
    hosttest::runSession([](Session& session) {
        session.click(session.rowPoint({0, 0}));
        auto* play = session.topAs<PlayPage>();
        ASSERT_NE(play, nullptr);
        const std::string label = session.bar().title;
        session.advance(kSlide);
        session.click(session.controlPoint("Info"));
        ASSERT_NE(session.topAs<InfoPage>(), nullptr);
        EXPECT_EQ(session.bar().title, "Info");
        EXPECT_EQ(session.bar().backTitle, std::optional<std::string>(label));
        session.advance(kSlide);
        session.click(session.barButtonPoint(Part::kBack));
        EXPECT_EQ(session.top(), play);
    });
}

// The window takes no clicks while a page slides in or out, from the push or pop to
// the end of the slide; clicks then are dropped, not kept for later.
TEST(HostNavigationTest, ClicksDuringAPageSlideAreDropped) {
    const struct {
        double after;  // seconds after the push
        bool lands;
    } cases[] = {{0.0, false}, {0.1, false}, {kSlide - 0.01, false}, {kSlide, true}, {1, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.after);
        hosttest::runSession([&c](Session& session) {
            session.click(session.rowPoint({0, 1}));
            ASSERT_NE(session.topAs<PlayPage>(), nullptr);
            const auto plays = platform::playCount();
            const QPoint play = session.controlPoint("Play");
            session.advance(c.after);
            session.click(play);
            EXPECT_EQ(platform::playCount(), plays + (c.lands ? 1 : 0));
            session.click(session.barButtonPoint(Part::kBack));
            EXPECT_EQ(session.depth(), c.lands ? 1u : 2u);
        });
    }
}

// A double-click is two clicks, and the second one arrives while the page that the first
// one opened (or closed) still slides: it does nothing. Where the second click lands, the
// new page has a control (the play button over a row, the gear where Back was).
TEST(HostNavigationTest, ADoubleClickNavigatesOnce) {
    hosttest::runSession([](Session& session) {
        auto* main = session.topAs<MainPage>();
        ASSERT_NE(main, nullptr);
        // A row under the spot where the play page puts its play button.
        session.click(session.rowPoint({0, 0}));
        const QPoint play = session.controlPoint("Play");
        session.advance(kSlide);
        session.click(session.barButtonPoint(Part::kBack));
        session.advance(kSlide);
        ASSERT_EQ(session.depth(), 1u);
        const auto plays = platform::playCount();

        session.doubleClick(play);
        ASSERT_NE(session.topAs<PlayPage>(), nullptr) << "the row opened its play page";
        EXPECT_EQ(platform::playCount(), plays) << "the second click did not play";
        session.advance(kSlide);

        session.doubleClick(session.barButtonPoint(Part::kBack));
        EXPECT_EQ(session.depth(), 1u);
        EXPECT_FALSE(main->OVopen) << "the gear where Back was is not pressed";
        session.advance(1);

        session.click(session.rowPoint({0, 0}));
        session.advance(kSlide);
        session.click(session.controlPoint("Info"));
        session.advance(kSlide);
        ASSERT_NE(session.topAs<InfoPage>(), nullptr);
        session.doubleClick(session.barButtonPoint(Part::kBack));
        EXPECT_EQ(session.depth(), 2u) << "one page popped";
        EXPECT_NE(session.topAs<PlayPage>(), nullptr);
        session.advance(kSlide);

        // Where nothing slides, both clicks count: a double-click on Play plays twice.
        const auto before = platform::playCount();
        session.doubleClick(session.controlPoint("Play"));
        EXPECT_EQ(platform::playCount(), before + 2);
    });
}

// The info page's links open outside the application: a double-click opens the link
// once, while two separate clicks open it twice.
TEST(HostNavigationTest, ADoubleClickOnAnInfoPageLinkOpensItOnce) {
    for (const char* link : {"Farland", "Brisel", "Twitter"}) {
        SCOPED_TRACE(link);
        hosttest::runSession([link](Session& session) {
            session.click(session.rowPoint({0, 0}));
            session.advance(kSlide);
            session.click(session.controlPoint("Info"));
            session.advance(kSlide);
            auto* info = session.topAs<InfoPage>();
            ASSERT_NE(info, nullptr);
            // The links sit low on the page: scrolled to the end, all three show.
            info->scrollView->scrollBy(0, InfoPage::kContentSize.height);
            const QPoint point = session.controlPoint(link);

            session.doubleClick(point);
            ASSERT_EQ(session.openedURLs.size(), 1u);
            session.advance(1);
            session.click(point);
            session.click(point);
            EXPECT_EQ(session.openedURLs.size(), 3u);
            EXPECT_EQ(session.openedURLs[2], session.openedURLs[0]);
        });
    }
}

TEST(HostNavigationTest, KeysMoveTheSelectionOpenPlayAndGoBack) {
    hosttest::runSession([](Session& session) {
        auto key = [&session](Qt::Key key) {
            QTest::keyClick(&session.window, key);
            QCoreApplication::processEvents();
        };
        const struct {
            Qt::Key key;
            std::optional<IndexPath> selected;
        } moves[] = {
            {Qt::Key_Down, IndexPath{0, 0}},
            {Qt::Key_Down, IndexPath{0, 1}},
            {Qt::Key_Down, IndexPath{0, 2}},
            {Qt::Key_Up, IndexPath{0, 1}},
        };
        for (const auto& move : moves) {
            key(move.key);
            EXPECT_EQ(session.table()->indexPathForSelectedRow(), move.selected);
        }
        const std::string label = rowText(session, {0, 1});
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&session.window);
        ASSERT_NE(window->focusChild(), nullptr);
        EXPECT_EQ(window->focusChild()->text(QAccessible::Name).toStdString(), label)
            << "the selected row is what assistive technology reads";
        key(Qt::Key_Up);
        key(Qt::Key_Up);
        EXPECT_EQ(session.table()->indexPathForSelectedRow(), (IndexPath{0, 0}))
            << "the first row stays selected at the top";
        key(Qt::Key_Down);

        key(Qt::Key_Return);
        ASSERT_NE(session.topAs<PlayPage>(), nullptr);
        EXPECT_EQ(session.bar().title, label);

        const auto plays = platform::playCount();
        key(Qt::Key_Space);
        EXPECT_EQ(platform::playCount(), plays + 1);

        key(Qt::Key_Escape);
        EXPECT_EQ(session.depth(), 1u);
        key(Qt::Key_Down);  // on from the row that was opened
        EXPECT_EQ(session.table()->indexPathForSelectedRow(), (IndexPath{0, 2}));
        const std::string third = rowText(session, {0, 2});
        key(Qt::Key_Enter);
        EXPECT_EQ(session.depth(), 2u);
        EXPECT_EQ(session.bar().title, third);
        key(Qt::Key_Backspace);
        EXPECT_EQ(session.depth(), 1u);
        key(Qt::Key_Backspace);
        EXPECT_EQ(session.depth(), 1u) << "the root page stays";
    });
}

TEST(HostNavigationTest, WheelAndDragScrollTheListWithoutOpeningARow) {
    hosttest::runSession([](Session& session) {
        auto table = session.table();
        ASSERT_TRUE(table);
        // The catalogue's first category may fit on screen; give the list less room.
        table->setFrame({0, 0, 320, 120});
        session.advance(0);
        ASSERT_GT(table->contentSize().height, 120);

        const QPoint inside = session.rowPoint({0, 0});
        QWheelEvent wheel(QPointF(inside), QPointF(session.window.mapToGlobal(inside)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&session.window, &wheel);
        EXPECT_DOUBLE_EQ(table->contentOffset().y, platform::PointerGesture::kWheelStep);

        QTest::mousePress(&session.window, Qt::LeftButton, Qt::NoModifier, inside);
        QTest::mouseMove(&session.window, inside + QPoint(0, -20));
        QTest::mouseMove(&session.window, inside + QPoint(0, -30));
        QTest::mouseRelease(&session.window, Qt::LeftButton, Qt::NoModifier,
                            inside + QPoint(0, -30));
        EXPECT_DOUBLE_EQ(table->contentOffset().y, platform::PointerGesture::kWheelStep + 30);
        EXPECT_EQ(session.depth(), 1u) << "a drag is not a tap";
    });
}

}  // namespace
