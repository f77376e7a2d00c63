#include "Classes/InfoPage.h"
#include "Classes/PlayPage.h"
#include "PageHarness.h"

#include "../support/TestEnvironment.h"
#include "SoundboardVersion.h"

#include <gtest/gtest.h>

namespace {

using pagetest::PageHarness;

std::shared_ptr<InfoPage> makeInfoPage() {
    auto page = platform::ViewController::initWithNibName<InfoPage>("InfoPage");
    if (page) page->view();  // loads the layout's view: viewDidLoad
    return page;
}

TEST(InfoPageTest, TitleAndContentSize) {
    PageHarness app;
    auto page = makeInfoPage();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->title(), "Info");
    EXPECT_EQ(page->navigationItem().title(), "Info");
    ASSERT_TRUE(page->scrollView);
    EXPECT_EQ(page->scrollView->contentSize(), (platform::Size{320.0, 650.0}));
    EXPECT_LT(page->scrollView->frame().height, 650.0);
}

TEST(InfoPageTest, ShowsTheProgramsVersionBeneathTheTitle) {
    PageHarness app;
    auto page = makeInfoPage();
    ASSERT_TRUE(page);
    ASSERT_TRUE(page->versionLabel);
    EXPECT_EQ(page->versionLabel->text(), "Version " + std::string(kSoundboardVersion));
    // It sits in the scrolling content, below the title and above the texts.
    EXPECT_EQ(page->versionLabel->superview(), page->scrollView.get());
}

std::string plistWith(const std::vector<std::pair<std::string, std::string>>& keys) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\"><dict>"
        "<key>CFBundleIdentifier</key><string>org.soundboard.Soundboard</string>";
    for (const auto& [key, value] : keys) {
        text += "<key>" + key + "</key><string>" + value + "</string>";
    }
    return text + "</dict></plist>\n";
}

TEST(InfoPageTest, EachLinkOpensExactlyOneURL) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> keys;
        std::string farland, brisel, twitter;
    };
    const Case cases[] = {
        {"defaults",
         {},
         "http://apps.example.com/WebObjects/MZStore.woa/wa/viewSoftware?id=100000001&mt=8",
         "http://apps.example.com/WebObjects/MZStore.woa/wa/viewSoftware?id=100000002&mt=8",
         "http://mobile.example.com/soundboard"},
        {"configured",
         {{"SBInfoStoreHost", "store.test"},
          {"SBInfoFirstAppStoreID", "42"},
          {"SBInfoSecondAppStoreID", "43"},
          {"SBInfoSocialHost", "m.social.test"},
          {"SBInfoAccountName", "maker"}},
         "http://store.test/WebObjects/MZStore.woa/wa/viewSoftware?id=42&mt=8",
         "http://store.test/WebObjects/MZStore.woa/wa/viewSoftware?id=43&mt=8",
         "http://m.social.test/maker"},
        {"empty values fall back",
         {{"SBInfoStoreHost", ""}, {"SBInfoAccountName", ""}},
         "http://apps.example.com/WebObjects/MZStore.woa/wa/viewSoftware?id=100000001&mt=8",
         "http://apps.example.com/WebObjects/MZStore.woa/wa/viewSoftware?id=100000002&mt=8",
         "http://mobile.example.com/soundboard"},
    };
    for (const auto& c : cases) {
        auto folder = pagetest::makeBundle("<S/>");
        sbtest::writeFile(folder / "Info.plist", plistWith(c.keys));
        pagetest::useBundle(folder);
        PageHarness app;
        auto page = makeInfoPage();
        ASSERT_TRUE(page) << c.name;
        struct Link {
            const char* control;
            std::string url;
        };
        for (const Link& link :
             {Link{"Farland", c.farland}, Link{"Brisel", c.brisel}, Link{"Twitter", c.twitter}}) {
            app.openedURLs.clear();
            app.openSucceeds = link.url.size() % 2 == 0;  // the answer changes nothing
            pagetest::button(*page, link.control).sendActions();
            EXPECT_EQ(app.openedURLs, std::vector<std::string>{link.url}) << c.name;
            EXPECT_EQ(page->title(), "Info");
        }
    }
}

}  // namespace
