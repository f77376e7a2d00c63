#include "Classes/InfoPage.h"
#include "Classes/LovePage.h"
#include "Classes/MainPage.h"
#include "Classes/PlayPage.h"
#include "Classes/Reference.h"
#include "PageHarness.h"
#include "Platform/Graphics/Image.h"
#include "Platform/UI/Application.h"

#include <gtest/gtest.h>

namespace {

using pagetest::PageHarness;

const char* const kCatalogue =
    "<Sounds>\n"
    "  <DT title=\"First\">\n"
    "    <DS audio_no=\"11\" label=\"Eleven\"/>\n"
    "    <DS audio_no=\"12\" label=\"Twelve\"/>\n"
    "  </DT>\n"
    "  <DT title=\"Second\"><DS audio_no=\"21\" label=\"Twenty-one\"/></DT>\n"
    "</Sounds>\n";

// Under memory pressure the hidden main page gives up its view; coming back
// loads it again: the catalogue is read anew, new bar buttons replace the old,
// and the appearance closes the panel and shows the stored flag.
TEST(MemoryWarningTest, TheMainPageReloadsItsViewWhenShownAgain) {
    pagetest::useBundle(pagetest::makeBundle(kCatalogue, {"11", "12"}));
    PageHarness app;
    app.launch();
    auto& page = app.mainPage();
    page.optionPop();
    app.advance(0.3);
    std::weak_ptr<SPXMLElement> firstTree = page.RootData;
    std::weak_ptr<platform::BarButtonItem> firstLeft = page.navigationItem().leftBarButtonItem();
    std::weak_ptr<platform::TableView> firstTable = page.RootTable;
    page.RootTable->tapRowAtIndexPath({0, 1});
    ASSERT_TRUE(app.topAs<PlayPage>());
    platform::Application::sharedApplication().didReceiveMemoryWarning();
    EXPECT_FALSE(page.isViewLoaded());
    Reference::setBool(true, "vibrate");
    app.back();
    EXPECT_TRUE(page.isViewLoaded());
    EXPECT_TRUE(firstTree.expired());
    EXPECT_TRUE(firstLeft.expired());
    EXPECT_TRUE(firstTable.expired());
    EXPECT_EQ(pagetest::rowTexts(*page.RootTable),
              (std::vector<std::vector<std::string>>{{"Eleven", "Twelve"}}));
    EXPECT_TRUE(page.vibeSwitch->isOn());
    EXPECT_FALSE(page.OVopen);
    EXPECT_EQ(page.optionView->frame(), MainPage::kOptionsClosedFrame);
    EXPECT_EQ(page.Ad->loadCount(), 1);
    page.navigationItem().leftBarButtonItem()->tap();
    EXPECT_TRUE(page.OVopen);
    page.RootTable->tapRowAtIndexPath({0, 0});
    EXPECT_TRUE(app.topAs<PlayPage>());
}

TEST(MemoryWarningTest, PlayAndFavouritesPagesComeBackWhole) {
    pagetest::useBundle(pagetest::makeBundle(kCatalogue, {"11", "12"}));
    Reference::setBool(true, "12");
    PageHarness app;
    app.launch();
    app.mainPage().toLovePage();
    auto* love = app.topAs<LovePage>();
    ASSERT_TRUE(love);
    love->LoveTable->tapRowAtIndexPath({0, 0});
    auto* play = app.topAs<PlayPage>();
    ASSERT_TRUE(play);
    play->toInfoPage();
    ASSERT_TRUE(app.topAs<InfoPage>());
    platform::Application::sharedApplication().didReceiveMemoryWarning();
    EXPECT_FALSE(play->isViewLoaded());
    EXPECT_FALSE(love->isViewLoaded());
    app.back();
    ASSERT_EQ(app.topAs<PlayPage>(), play);
    EXPECT_EQ(play->tlabel->text(), "Twelve");
    EXPECT_EQ(play->Ad->loadCount(), 1);
    EXPECT_NE(play->m_sndID, 0u);
    pagetest::button(*play, "Play").sendActions();
    play->navigationItem().rightBarButtonItem()->tap();
    app.advance(0.2);
    EXPECT_NEAR(play->loveImage->presentationAlpha(), 1.0, 1e-9);
    app.advance(1.4);
    app.back();
    ASSERT_EQ(app.topAs<LovePage>(), love);
    EXPECT_EQ(pagetest::rowTexts(*love->LoveTable),
              (std::vector<std::vector<std::string>>{{}, {}}));
    EXPECT_TRUE(love->navigationItem().titleView());
}

// A memory warning while the badge flashes (the info page on top) unloads the play page's
// view; the view loaded on the way back shows the flash where it stands: the same badge
// picture and, at every instant, the alpha the flash gives it.
TEST(MemoryWarningTest, AViewLoadedDuringTheBadgeFlashShowsTheFlash) {
    // Alpha at instants after the tap: fade-in 0 to 0.2 s, shown, fade-out 1.4 to 1.6 s.
    const struct {
        double at;
        double alpha;
    } flash[] = {{0.1, 0.5}, {0.2, 1.0}, {0.7, 1.0}, {1.4, 1.0}, {1.5, 0.5}, {1.6, 0.0}};
    const struct {
        bool marked;      // the mark before the tap: the tap removes it
        double unloadAt;  // the memory warning, after the tap
        double reloadAt;  // back on the play page
    } cases[] = {
        {false, 0.05, 0.1}, {false, 0.05, 0.7}, {true, 0.1, 0.2},
        {true, 0.3, 1.5},   {false, 1.45, 1.5}, {true, 0.5, 1.6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("unload " + std::to_string(c.unloadAt) + " reload " +
                     std::to_string(c.reloadAt) + (c.marked ? " removing" : " adding"));
        pagetest::useBundle(pagetest::makeBundle(kCatalogue, {"11", "12"}));
        Reference::setBool(c.marked, "11");
        PageHarness app;
        app.launch();
        app.mainPage().RootTable->tapRowAtIndexPath({0, 0});
        auto* play = app.topAs<PlayPage>();
        ASSERT_TRUE(play);
        app.advance(1);
        const auto badge = platform::Image::imageNamed(c.marked ? "LoveRemove.png" : "LoveAdd.png");
        play->navigationItem().rightBarButtonItem()->tap();
        double now = 0;
        app.advance(c.unloadAt);
        now = c.unloadAt;
        play->toInfoPage();
        ASSERT_TRUE(app.topAs<InfoPage>());
        platform::Application::sharedApplication().didReceiveMemoryWarning();
        ASSERT_FALSE(play->isViewLoaded());
        app.advance(c.reloadAt - now);
        now = c.reloadAt;
        app.back();
        ASSERT_TRUE(play->isViewLoaded());
        EXPECT_EQ(play->loveImage->image(), badge);
        for (const auto& step : flash) {
            if (step.at < now) continue;
            app.advance(step.at - now);
            now = step.at;
            EXPECT_NEAR(play->loveImage->presentationAlpha(), step.alpha, 1e-9) << step.at;
        }
        EXPECT_EQ(Reference::boolForKey("11"), !c.marked);
    }
}

}  // namespace
