#include "Platform/Graphics/Image.h"

#include "Platform/Foundation/Bundle.h"
#include "tests/support/TestEnvironment.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

using platform::Image;

namespace {

struct Fill {
    double x, y, width, height;
    double red, green, blue, alpha;
};

// A new ARGB32 picture, transparent but for the given rectangles.
std::shared_ptr<Image> paintedImage(int width, int height, const std::vector<Fill>& fills,
                                    cairo_format_t format = CAIRO_FORMAT_ARGB32) {
    cairo_surface_t* surface = cairo_image_surface_create(format, width, height);
    {
        std::unique_ptr<cairo_t, decltype(&cairo_destroy)> context(cairo_create(surface),
                                                                   &cairo_destroy);
        cairo_set_operator(context.get(), CAIRO_OPERATOR_SOURCE);
        for (const auto& fill : fills) {
            cairo_set_source_rgba(context.get(), fill.red, fill.green, fill.blue, fill.alpha);
            cairo_rectangle(context.get(), fill.x, fill.y, fill.width, fill.height);
            cairo_fill(context.get());
        }
    }
    // The image takes over the surface's only reference.
    return Image::imageWithSurface(surface);
}

std::shared_ptr<Image> quadrants() {
    return paintedImage(4, 4,
                        {{0, 0, 2, 2, 1, 0, 0, 1},
                         {2, 0, 2, 2, 0, 1, 0, 1},
                         {0, 2, 2, 2, 0, 0, 1, 0.5},
                         {2, 2, 2, 2, 0, 0, 0, 0}});
}

}  // namespace

TEST(ImageTest, ReadsUnpremultipliedPixelsAndZeroOutside) {
    auto image = quadrants();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 4);
    EXPECT_EQ(image->height(), 4);
    EXPECT_EQ(image->size(), (platform::Size{4, 4}));
    struct Case {
        int x, y;
        unsigned int argb;
    };
    const Case cases[] = {
        {0, 0, 0xffff0000u}, {3, 1, 0xff00ff00u}, {1, 3, 0x800000ffu}, {3, 3, 0u},
        {-1, 0, 0u},         {0, -1, 0u},         {4, 0, 0u},          {0, 4, 0u},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(image->pixelARGB(c.x, c.y), c.argb) << c.x << "," << c.y;
    }
}

TEST(ImageTest, PngRoundTripKeepsSizeAndPixels) {
    auto image = quadrants();
    const auto path = sbtest::tempDir() / "quadrants.png";
    ASSERT_TRUE(image->writePNG(path));
    auto loaded = Image::imageWithContentsOfFile(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->size(), image->size());
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) EXPECT_EQ(loaded->pixelARGB(x, y), image->pixelARGB(x, y));
    }
    EXPECT_TRUE(loaded->name().empty());
}

TEST(ImageTest, WritePngIntoMissingFolderFailsAndLeavesNothing) {
    auto image = quadrants();
    const auto path = sbtest::tempDir() / "missing" / "x.png";
    EXPECT_FALSE(image->writePNG(path));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ImageTest, UnreadableFilesGiveNone) {
    const auto folder = sbtest::tempDir();
    sbtest::writeFile(folder / "empty.png", "");
    sbtest::writeFile(folder / "text.png", "not a picture");
    sbtest::writeFile(folder / "truncated.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    for (const char* name : {"empty.png", "text.png", "truncated.png", "absent.png"}) {
        EXPECT_FALSE(Image::imageWithContentsOfFile(folder / name)) << name;
    }
    EXPECT_FALSE(Image::imageWithContentsOfFile(folder));
}

TEST(ImageTest, SurfacesThatAreNotUsableGiveNone) {
    EXPECT_FALSE(Image::imageWithSurface(nullptr));
    EXPECT_FALSE(Image::imageWithSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, -1, 5)));
    EXPECT_FALSE(Image::imageWithSurface(
        cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr)));
}

TEST(ImageTest, OtherPixelFormatsBecomeARGB32) {
    auto image = paintedImage(2, 1, {{0, 0, 1, 1, 1, 1, 0, 1}}, CAIRO_FORMAT_RGB24);
    ASSERT_TRUE(image);
    EXPECT_EQ(cairo_image_surface_get_format(image->surface()), CAIRO_FORMAT_ARGB32);
    EXPECT_EQ(image->pixelARGB(0, 0), 0xffffff00u);
    // RGB24 has no alpha: the unpainted pixel is opaque black, not transparent.
    EXPECT_EQ(image->pixelARGB(1, 0), 0xff000000u);
}

class ImageNamedTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_bundle = sbtest::tempDir() / "bundle";
        std::filesystem::create_directories(m_bundle);
        ASSERT_TRUE(quadrants()->writePNG(m_bundle / "love.png"));
        sbtest::writeFile(m_bundle / "broken.png", "no picture here");
        platform::Bundle::setMainBundlePath(m_bundle);
        Image::clearNamedImageCache();
    }
    void TearDown() override { Image::clearNamedImageCache(); }
    std::filesystem::path m_bundle;
};

TEST_F(ImageNamedTest, FindsBundleImagesByFileNameAndKeepsThem) {
    auto first = Image::imageNamed("love.png");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->name(), "love.png");
    EXPECT_EQ(first->pixelARGB(0, 0), 0xffff0000u);
    EXPECT_EQ(Image::imageNamed("love.png"), first);

    // A kept image survives its file; only a cleared cache goes back to the folder.
    std::filesystem::remove(m_bundle / "love.png");
    EXPECT_EQ(Image::imageNamed("love.png"), first);
    Image::clearNamedImageCache();
    EXPECT_FALSE(Image::imageNamed("love.png"));
}

TEST_F(ImageNamedTest, NameWithoutExtensionFindsThePng) {
    auto image = Image::imageNamed("love");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->name(), "love");
    EXPECT_EQ(image->size(), (platform::Size{4, 4}));
}

TEST_F(ImageNamedTest, MissingBrokenOrEscapingNamesGiveNone) {
    for (const char* name : {"", "absent.png", "absent", "broken.png", "broken", "../love.png",
                             "love.png/", "/love.png"}) {
        EXPECT_FALSE(Image::imageNamed(name)) << name;
    }
    // A miss is not remembered: the file appearing later is found.
    ASSERT_TRUE(quadrants()->writePNG(m_bundle / "late.png"));
    EXPECT_TRUE(Image::imageNamed("late.png"));
}

TEST(ImageTest, ChannelsAboveTheirAlphaReadAsFullWithoutTouchingTheOthers) {
    struct Case {
        std::uint32_t stored;  // premultiplied, as cairo keeps it
        unsigned int argb;
    };
    const Case cases[] = {
        {0x01ff0000u, 0x01ff0000u},
        {0x0100ff00u, 0x0100ff00u},
        {0x400000ffu, 0x400000ffu},
        {0x80ff8040u, 0x80ffff80u},
    };
    for (const auto& c : cases) {
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
        cairo_surface_flush(surface);
        std::memcpy(cairo_image_surface_get_data(surface), &c.stored, sizeof c.stored);
        cairo_surface_mark_dirty(surface);
        auto image = Image::imageWithSurface(surface);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->pixelARGB(0, 0), c.argb) << std::hex << c.stored;
    }
}
