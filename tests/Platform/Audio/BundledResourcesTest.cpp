#include "Platform/Foundation/Bundle.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

namespace {

using platform::Bundle;

TEST(BundledResources, InfoPlistNamesTheBundleAndTheInfoPageLinks) {
    const auto bundle = Bundle::bundleWithPath(sbtest::sourceBundle());
    ASSERT_NE(bundle, nullptr);
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"CFBundleIdentifier", "org.soundboard.Soundboard"},
        {"CFBundleName", "Soundboard"},
        {"NSMainNibFile", "MainWindow"},
        {"SBInfoStoreHost", "apps.example.com"},
        {"SBInfoFirstAppStoreID", "100000001"},
        {"SBInfoSecondAppStoreID", "100000002"},
        {"SBInfoSocialHost", "mobile.example.com"},
        {"SBInfoAccountName", "soundboard"},
    };
    for (const auto& [key, value] : expected) {
        SCOPED_TRACE(key);
        EXPECT_EQ(bundle->stringForInfoKey(key), std::optional<std::string>(value));
    }
    EXPECT_EQ(bundle->bundleIdentifier(), "org.soundboard.Soundboard");
    EXPECT_EQ(bundle->mainLayoutName(), "MainWindow");
    // The version is the program's own (from the build), never a second one here.
    EXPECT_EQ(bundle->stringForInfoKey("CFBundleVersion"), std::nullopt);
    EXPECT_EQ(bundle->stringForInfoKey("CFBundleShortVersionString"), std::nullopt);
}

TEST(BundledResources, BannerPageLinksOutOverHttpAndHttps) {
    const std::string html = sbtest::readFile(sbtest::sourceBundle() / "ad.html");
    ASSERT_FALSE(html.empty());
    const std::regex link(R"re(<a\s+href="(https?)://[^"]+")re");
    bool http = false;
    bool https = false;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), link);
         it != std::sregex_iterator(); ++it) {
        http |= (*it)[1] == "http";
        https |= (*it)[1] == "https";
    }
    EXPECT_TRUE(http);
    EXPECT_TRUE(https);
    // Its image is a file of the bundle, named relative to the page.
    const std::regex image(R"re(<img\s+src="([^"/:]+)")re");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(html, match, image));
    EXPECT_TRUE(std::filesystem::is_regular_file(sbtest::sourceBundle() / match[1].str()));
}

// Width and height from a PNG's IHDR chunk, and whether it carries alpha.
struct PngHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool alpha = false;
};

std::optional<PngHeader> readPngHeader(const std::string& file) {
    static const std::string kSignature = "\x89PNG\r\n\x1a\n";
    if (file.size() < 33 || file.compare(0, 8, kSignature) != 0 ||
        file.compare(12, 4, "IHDR") != 0) {
        return std::nullopt;
    }
    auto be32 = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = (value << 8) | static_cast<unsigned char>(file[at + i]);
        return value;
    };
    const auto colourType = static_cast<unsigned char>(file[25]);
    return PngHeader{be32(16), be32(20), colourType == 4 || colourType == 6};
}

TEST(BundledResources, ImagesHaveTheirSizesAndAlpha) {
    struct Case {
        const char* name;
        std::uint32_t width;
        std::uint32_t height;
    };
    const std::vector<Case> cases = {
        {"Settings.png", 30, 30},     {"love.png", 30, 30},         {"LoveAdd.png", 100, 100},
        {"LoveRemove.png", 100, 100}, {"Play.png", 120, 120},       {"Banner.png", 40, 40},
        {"soundboard.png", 128, 128}, {"InfoHeader.png", 280, 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto header = readPngHeader(sbtest::readFile(sbtest::sourceBundle() / c.name));
        ASSERT_TRUE(header.has_value());
        EXPECT_EQ(header->width, c.width);
        EXPECT_EQ(header->height, c.height);
        EXPECT_TRUE(header->alpha);
    }
}

}  // namespace
