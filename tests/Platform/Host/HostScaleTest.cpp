// The window scales: the page canvas drawn uniformly scaled and centred at
// any window size or zoom, at the device's resolution, with clicks, drags and
// the wheel mapped back through the same scale.

#include "HostSession.h"

#include "Classes/PlayPage.h"
#include "Platform/Host/Input/InputRouter.h"
#include "Platform/Host/Paint/ModelPainter.h"
#include "Platform/Host/Paint/PageTransitions.h"
#include "Platform/UI/Window.h"

#include <QCoreApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include <unistd.h>
#include <limits>
#include <utility>

namespace {

using hosttest::Session;
using platform::IndexPath;

std::string rowText(Session& session, IndexPath indexPath) {
    auto cell = session.table()->cellForRowAtIndexPath(indexPath);
    return cell ? cell->textLabel().text() : std::string();
}

void resizeTo(Session& session, QSize size) {
    session.window.resize(size);
    QCoreApplication::processEvents();
}

// Adjacent pixel pairs whose brightness differs by a quarter of the range or
// more: the hard edges of text and shapes, which blurring a picture up softens.
int hardEdges(const QImage& picture) {
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    int edges = 0;
    for (int y = 0; y < grey.height(); ++y) {
        const uchar* line = grey.constScanLine(y);
        for (int x = 1; x < grey.width(); ++x) edges += std::abs(line[x] - line[x - 1]) > 64;
    }
    return edges;
}

// Pixels of two pictures of one size whose colours differ clearly.
int unlikePixels(const QImage& a, const QImage& b) {
    int unlike = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y) {
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            unlike += std::max({std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                                std::abs(p.blue() - q.blue())}) > 24;
        }
    }
    return a.size() == b.size() ? unlike : std::numeric_limits<int>::max();
}

// The bundle's picture `file`, every pixel of it, laid over `background`.
QImage bundlePicture(const char* file, const QColor& background) {
    QImage picture(QString(SB_HOST_SOURCE_BUNDLE "/") + file);
    picture.setDevicePixelRatio(1.0);  // Qt reads "@2x" in a name as two pixels per point
    QImage laid(picture.size(), QImage::Format_RGB32);
    laid.fill(background);
    QPainter(&laid).drawImage(0, 0, picture);
    return laid;
}

// Runs `body` on one screen of `pixels` (device pixels), with Qt scaling every
// window by `factor` as a desktop set to that scale does.
void onScreen(QSize pixels, const char* factor, const std::function<void(Session&)>& body) {
    const auto config =
        std::filesystem::temp_directory_path() / ("screen-" + std::to_string(::getpid()) + ".json");
    std::ofstream(config) << R"({"screens": [{"name": "S", "x": 0, "y": 0, "width": )"
                          << pixels.width() << R"(, "height": )" << pixels.height()
                          << R"(, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QByteArray(config.c_str()));
    qputenv("QT_SCALE_FACTOR", factor);
    hosttest::runSession(body);
    qunsetenv("QT_SCALE_FACTOR");
    qputenv("QT_QPA_PLATFORM", platform);
    std::filesystem::remove(config);
}

void withDesktopScale(const char* factor, const std::function<void(Session&)>& body) {
    onScreen({1600, 1200}, factor, body);
}

// The canvas lies whole inside the window's canvas area.
bool canvasIsWhole(Session& session) {
    const QRectF area = session.window.canvasArea().adjusted(-0.5, -0.5, 0.5, 0.5);
    return area.contains(session.window.canvasScale().canvasRect());
}

TEST(HostScaleTest, AClickOnARowOpensThatRowAtEveryZoom) {
    struct Case {
        double zoom;
        int row;
        QSize window;
    };
    for (const Case& c :
         {Case{1.0, 0, {320, 480}}, Case{1.0, 6, {320, 480}}, Case{1.5, 0, {480, 720}},
          Case{1.5, 6, {480, 720}}, Case{2.0, 3, {640, 960}}, Case{2.0, 6, {640, 960}}}) {
        SCOPED_TRACE("zoom " + std::to_string(c.zoom) + " row " + std::to_string(c.row));
        onScreen({1600, 1200}, "1", [&c](Session& session) {
            session.window.setZoom(c.zoom);
            QCoreApplication::processEvents();
            EXPECT_EQ(session.window.size(), c.window);
            EXPECT_DOUBLE_EQ(session.window.zoom(), c.zoom);
            const std::string label = rowText(session, {0, c.row});
            ASSERT_FALSE(label.empty());
            session.click(session.rowPoint({0, c.row}));
            ASSERT_NE(session.topAs<PlayPage>(), nullptr);
            EXPECT_EQ(session.bar().title, label);
        });
    }
}

TEST(HostScaleTest, TheCanvasFitsTheWindowCentredWithAMarginInTheBarColour) {
    struct Case {
        QSize window;
        double scale;
        QRect canvas;
        QPoint margin;  // a point of the margin, or (-1, -1) when there is none
    };
    for (const Case& c : {Case{{640, 960}, 2.0, {0, 0, 640, 960}, {-1, -1}},
                          Case{{1000, 600}, 1.25, {300, 0, 400, 600}, {150, 300}},
                          Case{{320, 1000}, 1.0, {0, 260, 320, 480}, {160, 100}},
                          Case{{482, 720}, 1.5, {1, 0, 480, 720}, {-1, -1}}}) {
        SCOPED_TRACE(std::to_string(c.window.width()) + "x" + std::to_string(c.window.height()));
        hosttest::runSession([&c](Session& session) {
            resizeTo(session, c.window);
            ASSERT_EQ(session.window.size(), c.window);
            EXPECT_DOUBLE_EQ(session.window.zoom(), c.scale);
            EXPECT_EQ(session.window.canvasScale().canvasRect(), QRectF(c.canvas));
            const QImage shown = session.window.grab().toImage();
            const QColor margin = platform::ModelPainter::marginColour();
            EXPECT_NE(shown.pixelColor(c.canvas.topLeft() + QPoint(1, 50)), margin);
            if (c.margin.x() < 0) return;
            EXPECT_EQ(shown.pixelColor(c.margin), margin);
            // A click on the margin does nothing; one on the canvas still opens its row.
            EXPECT_FALSE(session.window.tapAt(c.margin));
            session.click(c.margin);
            EXPECT_EQ(session.depth(), 1u);
            session.click(session.rowPoint({0, 2}));
            EXPECT_NE(session.topAs<PlayPage>(), nullptr);
        });
    }
}

TEST(HostScaleTest, ZoomOnAMaximisedWindowKeepsItsSizeAndNeverCutsTheCanvas) {
    hosttest::runSession([](Session& session) {
        session.window.showMaximized();
        QCoreApplication::processEvents();
        const QSize maximised = session.window.size();
        const double fits = platform::CanvasScale::fit({320, 480}, maximised);
        struct Case {
            double asked;
            double shown;
        };
        for (const Case& c : {Case{1.0, 1.0}, Case{0.75, 0.75}, Case{fits * 2, fits},
                              Case{0.1, platform::CanvasScale::kMinimumZoom}}) {
            SCOPED_TRACE(c.asked);
            session.window.setZoom(c.asked);
            QCoreApplication::processEvents();
            EXPECT_EQ(session.window.size(), maximised);
            EXPECT_DOUBLE_EQ(session.window.zoom(), c.shown);
        }
        session.window.setZoom(1.0);
        session.click(session.rowPoint({0, 1}));
        EXPECT_NE(session.topAs<PlayPage>(), nullptr);
    });
}

// The window never grows past the screen's free area, the canvas is whole at
// any size, and a zoom never throws away the size the user gave the window.
TEST(HostScaleTest, ZoomKeepsTheUsersSizeAndTheScreensBounds) {
    // What the window should be, from the room the screen leaves it (its free
    // area less the window's frame) and the menu bar's height.
    struct Shown {
        QSize window;
        double scale;
    };
    using Expect = std::function<Shown(QSize room, int bar)>;
    struct Step {
        std::optional<QSize> resize;  // as the user drags the window's edge
        double zoom;                  // then a zoom, or 0 for none
        Expect expect;
    };
    const auto fitted = [](QSize window, int bar) {
        return std::min(window.width() / 320.0, (window.height() - bar) / 480.0);
    };
    const struct {
        const char* name;
        QSize screen;
        const char* factor;
        std::vector<Step> steps;
    } cases[] = {
        {"zoom in stops at the screen, past it the canvas scales inside",
         {800, 600},
         "1",
         {{{},
           2.0,
           [&](QSize room, int bar) {
               return Shown{{640, room.height()}, fitted({640, room.height()}, bar)};
           }},
          {{},
           4.0,
           [&](QSize room, int bar) {
               return Shown{room, fitted(room, bar)};
           }}}},
        {"a scaled desktop starts within its screen",
         {800, 900},
         "2",
         {{{},
           0,
           [&](QSize, int bar) {
               return Shown{{320, 450}, fitted({320, 450}, bar)};
           }}}},
        {"a short window shows the canvas whole",
         {1600, 1200},
         "1",
         {{QSize(600, 360), 0,
           [&](QSize, int bar) {
               return Shown{{600, 360}, fitted({600, 360}, bar)};
           }}}},
        {"actual size and zoom keep the user's size",
         {1600, 1200},
         "1",
         {{QSize(700, 820), 1.0,
           [](QSize, int) {
               return Shown{{700, 820}, 1.0};
           }},
          {{},
           1.25,
           [](QSize, int) {
               return Shown{{700, 820}, 1.25};
           }},
          {{},
           2.0,
           [](QSize, int bar) {
               return Shown{{700, 960 + bar}, 2.0};
           }},
          {{},
           1.0,
           [](QSize, int) {
               return Shown{{700, 820}, 1.0};
           }}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        onScreen(c.screen, c.factor, [&](Session& session) {
            QWidget& window = session.window;
            const QSize room = window.screen()->availableGeometry().size() -
                               (window.frameGeometry().size() - window.size());
            for (const Step& step : c.steps) {
                if (step.resize) resizeTo(session, *step.resize);
                if (step.zoom > 0) session.window.setZoom(step.zoom);
                QCoreApplication::processEvents();
                const Shown expected = step.expect(room, session.window.menuBarHeight());
                EXPECT_EQ(window.size(), expected.window);
                EXPECT_NEAR(session.window.zoom(), expected.scale, 1e-9);
                EXPECT_TRUE(canvasIsWhole(session));
            }
            // Smaller than its own size, the canvas is drawn smaller, not cut:
            // it looks like the whole page scaled down.
            if (session.window.zoom() < 1.0) {
                const QImage grabbed = window.grab().toImage();
                const double ratio = grabbed.devicePixelRatio();
                const QRectF logical = session.window.canvasScale().canvasRect();
                const QRect canvas =
                    QRectF(logical.topLeft() * ratio, logical.size() * ratio).toRect();
                const QImage shown = grabbed.copy(canvas);
                const QImage whole =
                    session.window.renderFrame(ratio)
                        .scaled(canvas.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        .convertToFormat(shown.format());
                EXPECT_LT(unlikePixels(shown, whole), canvas.width() * canvas.height() / 20);
            }
            // What is drawn still takes clicks where it is drawn.
            session.click(session.rowPoint({0, 1}));
            EXPECT_NE(session.topAs<PlayPage>(), nullptr);
        });
    }
}

TEST(HostScaleTest, DragAndWheelScrollInCanvasPointsAtTwiceTheSize) {
    onScreen({1600, 1200}, "1", [](Session& session) {
        session.window.setZoom(2.0);
        auto table = session.table();
        ASSERT_TRUE(table);
        table->setFrame({0, 0, 320, 120});
        session.advance(0);
        const QPoint inside = session.rowPoint({0, 0});

        QWheelEvent notch(QPointF(inside), QPointF(session.window.mapToGlobal(inside)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&session.window, &notch);
        EXPECT_DOUBLE_EQ(table->contentOffset().y, platform::PointerGesture::kWheelStep);

        // The content follows the pointer: 60 pixels at 2x are 30 points.
        QTest::mousePress(&session.window, Qt::LeftButton, Qt::NoModifier, inside);
        QTest::mouseMove(&session.window, inside + QPoint(0, -20));
        QTest::mouseMove(&session.window, inside + QPoint(0, -60));
        QTest::mouseRelease(&session.window, Qt::LeftButton, Qt::NoModifier,
                            inside + QPoint(0, -60));
        EXPECT_DOUBLE_EQ(table->contentOffset().y, platform::PointerGesture::kWheelStep + 30);
        EXPECT_EQ(session.depth(), 1u);
    });
}

TEST(HostScaleTest, APageSlideShowsTheOldPageAtTheSameSizeAtEveryZoom) {
    const auto midSlide = [](double zoom) {
        QImage frame;
        hosttest::runSession([&](Session& session) {
            session.window.setZoom(zoom);
            session.window.repaint();
            session.click(session.rowPoint({0, 0}));
            session.window.repaint();
            session.advance(platform::PageTransitions::kDuration / 2);
            frame = session.frame();
        });
        return frame;
    };
    // The outgoing page is cut from a frame twice as large and shown at its
    // own size: apart from the smoothing of text edges (about 500 pixels), the
    // same picture; one shown at twice its size differs in over 12,000.
    EXPECT_LT(unlikePixels(midSlide(1.0), midSlide(2.0)), 2000);
}

TEST(HostScaleTest, AtADevicePixelRatioOfTwoTheWindowIsDrawnAtFullResolution) {
    withDesktopScale("2", [](Session& session) {
        ASSERT_DOUBLE_EQ(session.window.devicePixelRatioF(), 2.0);
        EXPECT_EQ(session.window.size(), QSize(320, 480));
        session.click(session.rowPoint({0, 4}));
        ASSERT_NE(session.topAs<PlayPage>(), nullptr);
        session.advance(1);
        const QImage shown = session.window.grab().toImage();
        ASSERT_EQ(shown.size(), QSize(640, 960));
        // A 1x frame blown up to the same size, as a scaled bitmap would be.
        const QImage stretched =
            session.frame().scaled(640, 960, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_GT(hardEdges(shown), hardEdges(stretched) * 3 / 2);
        // The play button and the banner's picture (in its page) are their @2x
        // drawings, pixel for pixel.
        auto root = session.application.keyWindowPointer();
        auto play = platform::InputRouter::topPageView(*root)->findView("Play");
        ASSERT_TRUE(play);
        const auto button = play->convertPointToAncestor({0, 0}, nullptr);
        const auto banner = session.topAs<PlayPage>()->Ad->convertPointToAncestor({4, 4}, nullptr);
        for (const auto& [corner, picture] :
             {std::pair(QPointF(button.x, button.y), bundlePicture("Play@2x.png", Qt::white)),
              std::pair(QPointF(banner.x, banner.y),
                        bundlePicture("Banner@2x.png", QColor(0x6c, 0x5c, 0xe7)))}) {
            const QImage drawn = shown.copy(QRect((corner * 2).toPoint(), picture.size()));
            EXPECT_LT(unlikePixels(drawn, picture), 50);
        }
    });
}

}  // namespace
