// The zoom a window starts at, from its screen's DPI and room.

#include "Platform/Host/Window/CanvasScale.h"

#include <gtest/gtest.h>

namespace {

using platform::CanvasScale;

const QSizeF kCanvas(320, 480);

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

}  // namespace
