#include "Classes/SPLibrary/SPUtility.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

using platform::Image;
using platform::Rect;

namespace {

constexpr unsigned kRed = 0xffff0000u;
constexpr unsigned kBlue = 0xff0000ffu;

// Left half red, right half blue, fully opaque.
std::shared_ptr<Image> halves(int width, int height) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    {
        std::unique_ptr<cairo_t, decltype(&cairo_destroy)> context(cairo_create(surface),
                                                                   &cairo_destroy);
        cairo_set_source_rgb(context.get(), 1, 0, 0);
        cairo_rectangle(context.get(), 0, 0, width / 2.0, height);
        cairo_fill(context.get());
        cairo_set_source_rgb(context.get(), 0, 0, 1);
        cairo_rectangle(context.get(), width / 2.0, 0, width / 2.0, height);
        cairo_fill(context.get());
    }
    return Image::imageWithSurface(surface);
}

}  // namespace

TEST(SPUtilityImageTest, ResizedImageHasTheRectanglesSizeWhateverTheSource) {
    struct Case {
        int sourceWidth, sourceHeight;
        Rect rect;
        int width, height;
    };
    const Case cases[] = {
        {4, 2, {0, 0, 100, 50}, 100, 50}, {400, 300, {0, 0, 100, 50}, 100, 50},
        {1, 1, {0, 0, 100, 50}, 100, 50}, {4, 2, {0, 0, 100.9, 50.99}, 100, 50},
        {4, 2, {0, 0, 1, 1}, 1, 1},
    };
    for (const auto& c : cases) {
        auto resized = SPUtility::resizeImage(halves(c.sourceWidth, c.sourceHeight), c.rect);
        ASSERT_TRUE(resized);
        EXPECT_EQ(resized->width(), c.width);
        EXPECT_EQ(resized->height(), c.height);
    }
}

TEST(SPUtilityImageTest, SourceIsScaledIntoTheRectangleWithOpaqueEdges) {
    auto resized = SPUtility::resizeImage(halves(4, 2), {0, 0, 100, 50});
    ASSERT_TRUE(resized);
    struct Probe {
        int x, y;
        unsigned argb;
    };
    // Filtering blends the colours near the middle only.
    const Probe probes[] = {{0, 0, kRed},   {10, 25, kRed},  {30, 49, kRed},
                            {70, 0, kBlue}, {90, 25, kBlue}, {99, 49, kBlue}};
    for (const auto& p : probes) {
        EXPECT_EQ(resized->pixelARGB(p.x, p.y), p.argb) << p.x << "," << p.y;
    }
}

TEST(SPUtilityImageTest, OriginShiftsThePictureAndWhatFallsOutsideIsCut) {
    auto resized = SPUtility::resizeImage(halves(4, 2), {10, 10, 100, 50});
    ASSERT_TRUE(resized);
    EXPECT_EQ(resized->width(), 100);
    EXPECT_EQ(resized->height(), 50);
    struct Probe {
        int x, y;
        unsigned argb;
    };
    const Probe probes[] = {
        {5, 5, 0},       {9, 30, 0},      {50, 9, 0},  // left of and above the picture
        {10, 10, kRed},  {40, 49, kRed},               // its left half, cut at the bottom
        {80, 10, kBlue}, {99, 49, kBlue},              // its right half, cut at the edge
    };
    for (const auto& p : probes) {
        EXPECT_EQ(resized->pixelARGB(p.x, p.y), p.argb) << p.x << "," << p.y;
    }

    auto left = SPUtility::resizeImage(halves(4, 2), {-50, 0, 100, 50});
    ASSERT_TRUE(left);
    EXPECT_EQ(left->pixelARGB(20, 0), kBlue);
    EXPECT_EQ(left->pixelARGB(50, 0), 0u);
}

TEST(SPUtilityImageTest, UndrawableSourceOrRectangleGivesNone) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const Rect badRects[] = {
        {0, 0, 0, 50},    {0, 0, 100, 0},   {0, 0, 0.5, 50},  {0, 0, -10, 50},
        {0, 0, 100, -1},  {0, 0, nan, 50},  {0, 0, 100, nan}, {0, 0, infinity, 5},
        {0, 0, 1e9, 1e9}, {0, 0, 16385, 1}, {nan, 0, 10, 10}, {0, infinity, 10, 10},
    };
    auto source = halves(4, 2);
    for (const auto& rect : badRects) {
        EXPECT_FALSE(SPUtility::resizeImage(source, rect))
            << rect.x << "," << rect.y << "," << rect.width << "," << rect.height;
    }
    EXPECT_FALSE(SPUtility::resizeImage(nullptr, {0, 0, 10, 10}));
    auto empty = Image::imageWithSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 0, 0));
    ASSERT_TRUE(empty);
    EXPECT_FALSE(SPUtility::resizeImage(empty, {0, 0, 10, 10}));
}

TEST(SPUtilityImageTest, LargestAllowedSideStillWorks) {
    auto resized = SPUtility::resizeImage(halves(4, 2), {0, 0, SPUtility::kMaxResizeSide, 2});
    ASSERT_TRUE(resized);
    EXPECT_EQ(resized->width(), 16384);
    EXPECT_EQ(resized->pixelARGB(16383, 1), kBlue);
}
