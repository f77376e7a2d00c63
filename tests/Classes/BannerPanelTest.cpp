#include "../support/TestEnvironment.h"
#include "Classes/LovePage.h"
#include "Classes/MainPage.h"
#include "Classes/PlayPage.h"
#include "PageHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using pagetest::PageHarness;

platform::URLRequest request(const char* text) {
    return platform::URLRequest::requestWithURL(*platform::URL::URLWithString(text));
}

// Every page with a banner answers its web view with the same link policy.
TEST(BannerPanelTest, LinkPolicyOnEveryBanner) {
    struct Case {
        const char* url;
        int navigationType;
        bool systemOpens;  // what the system answers
        bool handedOut;    // given to the system
        bool loadsInBanner;
    };
    const Case cases[] = {
        {"http://example.org/a", 0, true, true, false},
        {"https://example.org/b", 0, true, true, false},
        {"http://example.org/refused", 0, false, true, true},
        {"HTTP://example.org/c", 0, true, true, false},
        {"Https://example.org/d", 0, true, true, false},
        {"ftp://example.org/e", 0, true, false, true},
        {"mailto:someone@example.org", 0, true, false, true},
        // Allowed by the policy, but a banner loads no local file from a link.
        {"/no/scheme.html", 0, true, false, false},
        {"http://example.org/form", 1, true, false, true},
        {"http://example.org/back", 2, true, false, true},
        {"https://example.org/reload", 3, true, false, true},
        {"http://example.org/resubmit", 4, true, false, true},
        {"http://example.org/other", 5, true, false, true},
    };
    PageHarness app;
    app.launch();
    auto& main = app.mainPage();
    main.RootTable->tapRowAtIndexPath({0, 0});
    auto* play = app.topAs<PlayPage>();
    ASSERT_TRUE(play);
    auto love = platform::ViewController::initWithNibName<LovePage>("LovePage");
    ASSERT_TRUE(love);
    love->view();
    love->viewWillAppear(false);

    for (auto* banner : {main.Ad.get(), play->Ad.get(), love->Ad.get()}) {
        ASSERT_TRUE(banner);
        ASSERT_TRUE(banner->request());
        for (const auto& c : cases) {
            app.openedURLs.clear();
            app.openSucceeds = c.systemOpens;
            auto before = banner->request();
            bool loaded = banner->navigate(request(c.url), c.navigationType);
            EXPECT_EQ(loaded, c.loadsInBanner) << c.url << " " << c.navigationType;
            EXPECT_EQ(app.openedURLs.size(), c.handedOut ? 1u : 0u) << c.url;
            if (c.handedOut) {
                EXPECT_EQ(app.openedURLs[0], c.url);
            }
            if (loaded) {
                EXPECT_EQ(banner->request()->url().absoluteString(), c.url);
            } else {
                EXPECT_EQ(banner->request(), before) << c.url;
            }
        }
    }
}

TEST(BannerPanelTest, TheBannerLoadAlwaysPasses) {
    PageHarness app;
    app.openSucceeds = true;
    app.launch();
    auto& ad = *app.mainPage().Ad;
    ASSERT_TRUE(ad.request());
    EXPECT_FALSE(ad.request()->url().scheme());
    EXPECT_TRUE(app.openedURLs.empty());
    EXPECT_EQ(ad.loadCount(), 1);
}

TEST(BannerPanelTest, BundleWithoutABannerPageLoadsNothing) {
    auto folder = pagetest::makeBundle("<S><DT><DS audio_no=\"1\" label=\"x\"/></DT></S>");
    std::filesystem::remove(folder / "ad.html");
    pagetest::useBundle(folder);
    PageHarness app;
    app.launch();
    EXPECT_EQ(app.mainPage().Ad->loadCount(), 0);
    EXPECT_FALSE(app.mainPage().Ad->request());
}

// The banner's URL names exactly ad.html whatever the folder is called: characters a URL
// would read (a fragment, a query, an escape) stay part of the path, and an ordinary path
// is its own URL text.
TEST(BannerPanelTest, TheBannerLoadsFromAFolderOfAnyName) {
    const struct {
        const char* folder;
        bool textIsThePath;  // the URL text is the path unchanged
    } cases[] = {
        {"plain-folder_1.0~x", true},
        {"sub-delims!$&'()*+,;=:@", true},
        {"b#x", false},
        {"a?b", false},
        {"%41", false},
        {"100%", false},
        {"with space", false},
        {"caf\xc3\xa9 \xe2\x99\xab", false},
        {"[brackets]{braces}<angles>", false},
        {"back\\slash^`|\"", false},
    };
    const std::string sourceBundle =
        pagetest::makeBundle("<S><DT><DS audio_no=\"1\" label=\"x\"/></DT></S>");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        const auto folder = sbtest::tempDir() / "named" / c.folder;
        std::filesystem::create_directories(folder.parent_path());
        std::filesystem::copy(sourceBundle, folder, std::filesystem::copy_options::recursive);
        pagetest::useBundle(folder);
        PageHarness app;
        app.launch();
        auto& ad = *app.mainPage().Ad;
        ASSERT_TRUE(ad.request());
        const platform::URL& url = ad.request()->url();
        const std::string file = (folder / "ad.html").string();
        EXPECT_FALSE(url.scheme());
        EXPECT_EQ(url.path(), file);
        EXPECT_EQ(url.absoluteString() == file, c.textIsThePath) << url.absoluteString();
        EXPECT_FALSE(ad.html().empty()) << "the banner page was read";
        EXPECT_FALSE(ad.links().empty());
    }
}

}  // namespace
