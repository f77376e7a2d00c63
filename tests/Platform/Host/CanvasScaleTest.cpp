// The canvas geometry, the default zoom from the screen's DPI, and the choice
// between a picture's 1x and 2x drawings.

#include "Platform/Graphics/Image.h"
#include "Platform/Host/CanvasScale.h"
#include "Platform/Host/ImageResolution.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

using platform::CanvasScale;
using platform::ImageResolution;

const QSizeF kCanvas(320, 480);

TEST(CanvasScaleTest, ModelPointsMapToTheWidgetAndBack) {
    struct Case {
        QRectF area;
        double scale;
        QPointF model;
        QPointF widget;
    };
    for (const Case& c : {Case{{0, 0, 320, 480}, 1.0, {10, 20}, {10, 20}},
                          Case{{0, 0, 640, 960}, 2.0, {10, 20}, {20, 40}},
                          Case{{0, 24, 480, 720}, 1.5, {100, 0}, {150, 24}},
                          Case{{0, 0, 1000, 600}, 1.25, {0, 0}, {300, 0}},
                          Case{{0, 0, 1000, 600}, 1.0, {320, 480}, {660, 540}}}) {
        const CanvasScale scale(kCanvas, c.area, c.scale);
        EXPECT_EQ(scale.modelToWidget().map(c.model), c.widget);
        EXPECT_EQ(scale.widgetToModel().map(c.widget), c.model);
    }
}

TEST(CanvasScaleTest, PointsOutsideTheCanvasAreMargin) {
    const CanvasScale scale(kCanvas, {0, 0, 1000, 600}, 1.25);
    EXPECT_EQ(scale.canvasRect(), QRectF(300, 0, 400, 600));
    struct Case {
        QPointF widget;
        bool onCanvas;
    };
    for (const Case& c : {Case{{299, 300}, false}, Case{{300, 300}, true}, Case{{699, 599}, true},
                          Case{{700, 300}, false}, Case{{500, -1}, false}}) {
        EXPECT_EQ(scale.toModel(c.widget).has_value(), c.onCanvas) << c.widget.x();
    }
}

TEST(CanvasScaleTest, TheCornerLandsOnAWholeDevicePixel) {
    // 1001 - 320 * 1.3 = 585 points of margin; half of it, 292.5, goes to the nearest pixel.
    EXPECT_EQ(CanvasScale(kCanvas, {0, 0, 1001, 624}, 1.3).canvasRect().left(), 293.0);
    // An odd margin of 3 points: 1.5 is a whole pixel at a ratio of 2, not at 1.
    EXPECT_EQ(CanvasScale(kCanvas, {0, 0, 323, 480}, 1.0, 2.0).canvasRect().left(), 1.5);
    EXPECT_EQ(CanvasScale(kCanvas, {0, 0, 323, 480}, 1.0, 1.0).canvasRect().left(), 2.0);
}

TEST(CanvasScaleTest, FitAndWindowSizesStayInTheZoomRange) {
    EXPECT_DOUBLE_EQ(CanvasScale::fit(kCanvas, {640, 960}), 2.0);
    EXPECT_DOUBLE_EQ(CanvasScale::fit(kCanvas, {1000, 600}), 1.25);
    EXPECT_DOUBLE_EQ(CanvasScale::fit(kCanvas, {50, 50}), CanvasScale::kMinimumZoom);
    EXPECT_DOUBLE_EQ(CanvasScale::fit(kCanvas, {8000, 8000}), CanvasScale::kMaximumZoom);
    EXPECT_DOUBLE_EQ(CanvasScale::fit(kCanvas, {0, 0}), CanvasScale::kMinimumZoom);
    EXPECT_DOUBLE_EQ(CanvasScale::clampZoom(std::nan("")), 1.0);
    // Rounded up, so the window that holds a zoom fits at least that zoom.
    for (double zoom : {0.6, 1.0, 1.1, 1.33, 1.7, 2.0, 3.14, 4.0}) {
        const QSize size = CanvasScale::areaFor(kCanvas, zoom);
        EXPECT_GE(CanvasScale::fit(kCanvas, size), zoom) << zoom;
        EXPECT_LT(CanvasScale::fit(kCanvas, size - QSize(1, 1)), zoom) << zoom;
    }
    EXPECT_EQ(CanvasScale::framePixels(kCanvas, 1.5), QSize(480, 720));
}

TEST(CanvasScaleTest, TheDefaultZoomFollowsTheScreensDpi) {
    struct Case {
        double dpi;
        QSizeF available;
        double zoom;
    };
    const QSizeF uhd(3840, 2100);
    for (const Case& c : {Case{96, uhd, 1.0}, Case{120, uhd, 1.25}, Case{144, uhd, 1.5},
                          Case{163, uhd, 1.75}, Case{192, uhd, 2.0}, Case{288, uhd, 3.0},
                          Case{72, uhd, 1.0}, Case{0, uhd, 1.0}, Case{1000, uhd, 4.0},
                          // Never larger than the screen's room...
                          Case{192, {1280, 700}, 700.0 / 480},
                          // ...and never below the size the pages were made for.
                          Case{192, {300, 400}, 1.0}, Case{160, {}, 1.75}}) {
        EXPECT_DOUBLE_EQ(CanvasScale::defaultZoom(c.dpi, kCanvas, c.available), c.zoom) << c.dpi;
    }
}

TEST(ImageResolutionTest, DoubleResolutionNames) {
    EXPECT_EQ(ImageResolution::doubleResolutionName("Play.png"), "Play@2x.png");
    EXPECT_EQ(ImageResolution::doubleResolutionName("Play"), "Play@2x");
    EXPECT_EQ(ImageResolution::doubleResolutionName("a.b/Icon.png"), "a.b/Icon@2x.png");
    EXPECT_EQ(ImageResolution::doubleResolutionName(""), "");
}

TEST(ImageResolutionTest, TheTwiceDrawingIsPickedAboveOnePixelPerPoint) {
    auto play = platform::Image::imageNamed("Play.png");
    ASSERT_TRUE(play);
    struct Case {
        double pixelsPerPoint;
        std::string name;
    };
    for (const Case& c : {Case{0.5, "Play.png"}, Case{1.0, "Play.png"}, Case{1.25, "Play@2x.png"},
                          Case{2.0, "Play@2x.png"}, Case{4.0, "Play@2x.png"}}) {
        const platform::Image& chosen = ImageResolution::forScale(*play, c.pixelsPerPoint);
        EXPECT_EQ(chosen.name(), c.name) << c.pixelsPerPoint;
    }
    EXPECT_EQ(ImageResolution::forScale(*play, 2.0).width(), play->width() * 2);
    // A picture without a name, or without a @2x drawing, is its own best.
    auto unnamed =
        platform::Image::imageWithContentsOfFile(std::string(SB_HOST_SOURCE_BUNDLE) + "/Play.png");
    ASSERT_TRUE(unnamed);
    EXPECT_EQ(&ImageResolution::forScale(*unnamed, 2.0), unnamed.get());
    auto twice = platform::Image::imageNamed("Play@2x.png");
    ASSERT_TRUE(twice);
    EXPECT_EQ(&ImageResolution::forScale(*twice, 2.0), twice.get());
}

TEST(ImageResolutionTest, PixelsPerPointCountTheTransformAndTheDeviceRatio) {
    struct Case {
        double deviceRatio;
        double painterScale;
        double pixels;
    };
    for (const Case& c : {Case{1, 1, 1}, Case{2, 1, 2}, Case{1, 1.5, 1.5}, Case{2, 1.5, 3}}) {
        QImage target(64, 64, QImage::Format_ARGB32_Premultiplied);
        target.setDevicePixelRatio(c.deviceRatio);
        QPainter painter(&target);
        painter.scale(c.painterScale, c.painterScale);
        EXPECT_DOUBLE_EQ(ImageResolution::pixelsPerPoint(painter), c.pixels);
    }
}

}  // namespace
