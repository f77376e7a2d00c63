#include "Classes/Catalogue/Catalogue.h"
#include "Classes/LovePage.h"
#include "Classes/MainPage.h"
#include "Classes/PlayPage.h"
#include "Classes/Reference.h"
#include "PageHarness.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/UI/Application.h"

#include <gtest/gtest.h>

namespace {

using pagetest::PageHarness;
using platform::Rect;

const char* const kThreeCategories =
    "<Sounds>\n"
    "  <DT title=\"First\">\n"
    "    <DS audio_no=\"11\" label=\"Eleven\"/>\n"
    "    <DS audio_no=\"12\" label=\"Twelve\"/>\n"
    "  </DT>\n"
    "  <DT title=\"Second\">\n"
    "    <DS audio_no=\"21\" label=\"Twenty-one\"/>\n"
    "  </DT>\n"
    "  <DT title=\"Third\"><DS audio_no=\"31\" label=\"Thirty-one\"/></DT>\n"
    "</Sounds>\n";

void expectPanel(const platform::View& panel, double y, double alpha, const char* when) {
    auto frame = panel.presentationFrame();
    EXPECT_NEAR(frame.x, 30, 1e-9) << when;
    EXPECT_NEAR(frame.y, y, 0.01) << when;
    EXPECT_NEAR(frame.width, 260, 1e-9) << when;
    EXPECT_NEAR(frame.height, 50, 1e-9) << when;
    EXPECT_NEAR(panel.presentationAlpha(), alpha, 0.01) << when;
}

TEST(MainPageTest, ListsOnlyTheFirstCategory) {
    pagetest::useBundle(pagetest::makeBundle(kThreeCategories));
    PageHarness app;
    app.launch();
    auto& page = app.mainPage();
    ASSERT_TRUE(page.RootTable);
    EXPECT_EQ(pagetest::rowTexts(*page.RootTable),
              (std::vector<std::vector<std::string>>{{"Eleven", "Twelve"}}));
    auto cell = page.RootTable->cellForRowAtIndexPath({0, 0});
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->reuseIdentifier(), "cell");
    EXPECT_EQ(cell->accessoryType(), platform::kTableViewCellAccessoryDisclosureIndicator);
    EXPECT_EQ(page.RootTable->separatorColor(), (platform::Color{1.0f, 0.0f, 0.0f, 0.3f}));
}

TEST(MainPageTest, CataloguesWithoutUsableRowsGiveEmptyListsAndTapsDoNothing) {
    struct Case {
        const char* name;
        const char* catalogue;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"no category", "<Sounds/>", {}},
        {"no element", "", {}},
        {"text where the category should be", "<S>words<DT><DS label=\"x\"/></DT></S>", {}},
        {"text among the entries",
         "<S><DT>a<DS audio_no=\"1\" label=\"One\"/></DT></S>",
         {"", "One"}},
    };
    for (const auto& c : cases) {
        pagetest::useBundle(pagetest::makeBundle(c.catalogue));
        PageHarness app;
        app.launch();
        auto& table = *app.mainPage().RootTable;
        auto texts = pagetest::rowTexts(table);
        ASSERT_EQ(texts.size(), 1u) << c.name;
        EXPECT_EQ(texts[0], c.rows) << c.name;
        // The data source also answers for rows the table never asks about.
        auto far = app.mainPage().tableViewCellForRowAtIndexPath(table, {5, 7});
        ASSERT_TRUE(far);
        EXPECT_EQ(far->textLabel().text(), "");
        app.mainPage().tableViewDidSelectRowAtIndexPath(table, {5, 7});
        if (!c.rows.empty()) table.tapRowAtIndexPath({0, 0});  // a text node: no entry
        EXPECT_EQ(app.depth(), 1u) << c.name;
        EXPECT_FALSE(table.indexPathForSelectedRow()) << c.name;
    }
}

TEST(MainPageTest, BarButtonsAndBannerAreSetUpOnLoad) {
    PageHarness app;
    app.launch();
    auto& page = app.mainPage();
    const auto& left = page.navigationItem().leftBarButtonItem();
    const auto& right = page.navigationItem().rightBarButtonItem();
    ASSERT_TRUE(left && right);
    ASSERT_TRUE(left->image() && right->image());
    EXPECT_EQ(left->image()->name(), "Settings.png");
    EXPECT_EQ(right->image()->name(), "love.png");
    EXPECT_EQ(left->style(), platform::kBarButtonItemStylePlain);
    ASSERT_TRUE(page.Ad->request());
    EXPECT_FALSE(page.Ad->request()->url().scheme());
    EXPECT_EQ(page.Ad->request()->url().lastPathComponent(), "ad.html");
    // Coming back does not load the banner again.
    int loads = page.Ad->loadCount();
    right->tap();
    ASSERT_TRUE(app.topAs<LovePage>());
    app.back();
    EXPECT_EQ(page.Ad->loadCount(), loads);
}

TEST(MainPageTest, OptionsPanelSlidesInAndOut) {
    PageHarness app;
    app.launch();
    auto& page = app.mainPage();
    ASSERT_TRUE(page.optionView && page.vibeSwitch);
    auto& panel = *page.optionView;
    auto tapOptions = [&] { page.navigationItem().leftBarButtonItem()->tap(); };
    EXPECT_FALSE(page.OVopen);
    expectPanel(panel, -60, 0.0, "at launch");

    struct Step {
        double at;  // seconds since the first tap
        bool tap;
        bool open;
        double y;
        double alpha;
    };
    // Open, then close: each 0.3 s, flag set at the tap.
    const Step steps[] = {
        {0.0, true, true, -60, 0.0},   {0.15, false, true, -30, 0.5},
        {0.3, false, true, 0, 1.0},    {1.0, false, true, 0, 1.0},
        {1.0, true, false, 0, 1.0},    {1.15, false, false, -30, 0.5},
        {1.3, false, false, -60, 0.0}, {2.0, false, false, -60, 0.0},
    };
    double start = app.now();
    for (const auto& step : steps) {
        app.advance(start + step.at - app.now());
        if (step.tap) tapOptions();
        EXPECT_EQ(page.OVopen, step.open) << step.at;
        expectPanel(panel, step.y, step.alpha, std::to_string(step.at).c_str());
    }
    EXPECT_EQ(panel.frame(), MainPage::kOptionsClosedFrame);
}

TEST(MainPageTest, ADoubleTapTurnsThePanelBackFromWhereItIs) {
    PageHarness app;
    app.launch();
    auto& page = app.mainPage();
    auto& panel = *page.optionView;
    page.optionPop();
    app.advance(0.15);
    expectPanel(panel, -30, 0.5, "half open");
    page.optionPop();
    EXPECT_FALSE(page.OVopen);
    expectPanel(panel, -30, 0.5, "second tap");
    app.advance(0.15);
    expectPanel(panel, -45, 0.25, "half way back");
    app.advance(0.15);
    expectPanel(panel, -60, 0.0, "closed again");
    EXPECT_FALSE(page.OVopen);
}

TEST(MainPageTest, ReturningClosesThePanelAtOnceKeepingItsAlpha) {
    PageHarness app;
    app.launch();
    auto& page = app.mainPage();
    auto& panel = *page.optionView;
    page.optionPop();
    app.advance(0.3);
    expectPanel(panel, 0, 1.0, "open");
    page.toLovePage();
    ASSERT_EQ(app.depth(), 2u);
    app.back();
    EXPECT_FALSE(page.OVopen);
    expectPanel(panel, -60, 1.0, "after the return");
    EXPECT_FALSE(panel.isAnimating());
    page.optionPop();
    EXPECT_TRUE(page.OVopen);
    app.advance(0.15);
    expectPanel(panel, -30, 1.0, "sliding in again");
}

TEST(MainPageTest, VibrationSwitchPersistsAcrossARestart) {
    pagetest::useBundle(pagetest::makeBundle(kThreeCategories));
    {
        PageHarness app;
        app.launch();
        EXPECT_FALSE(app.mainPage().vibeSwitch->isOn());
        app.mainPage().vibeSwitch->toggle();
        EXPECT_TRUE(Reference::boolForKey("vibrate"));
    }
    platform::UserDefaults::resetStandardUserDefaults();
    platform::Application::resetSharedApplication();
    {
        PageHarness app;
        app.launch();
        EXPECT_TRUE(app.mainPage().vibeSwitch->isOn());
        app.mainPage().vibeSwitch->toggle();
    }
    platform::UserDefaults::resetStandardUserDefaults();
    {
        PageHarness app;
        app.launch();
        EXPECT_FALSE(app.mainPage().vibeSwitch->isOn());
    }
}

TEST(MainPageTest, SwitchFollowsTheStoredFlagOnEveryAppearance) {
    PageHarness app;
    app.launch();
    auto& page = app.mainPage();
    EXPECT_FALSE(page.vibeSwitch->isOn());
    page.toLovePage();
    Reference::setBool(true, "vibrate");
    app.back();
    EXPECT_TRUE(page.vibeSwitch->isOn());
}

TEST(MainPageTest, ARowOpensAFreshPlayPageEachTime) {
    pagetest::useBundle(pagetest::makeBundle(kThreeCategories, {"11", "12"}));
    PageHarness app;
    app.launch();
    auto& table = *app.mainPage().RootTable;
    table.tapRowAtIndexPath({0, 1});
    auto* first = app.topAs<PlayPage>();
    ASSERT_TRUE(first);
    EXPECT_EQ(Catalogue::audioNumber(*first->curData), "12");
    EXPECT_EQ(first->curData, Catalogue::soundEntryAt(app.mainPage().RootData, 0, 1));
    EXPECT_FALSE(table.indexPathForSelectedRow());
    auto popped = app.back();
    EXPECT_TRUE(popped.expired());
    table.tapRowAtIndexPath({0, 1});
    ASSERT_TRUE(app.topAs<PlayPage>());
    EXPECT_EQ(app.depth(), 2u);
}

TEST(MainPageTest, WithoutAPlayPageLayoutTheRowIsOnlyDeselected) {
    auto folder = pagetest::makeBundle(kThreeCategories);
    std::filesystem::remove(folder / "PlayPage.layout");
    std::filesystem::remove(folder / "LovePage.layout");
    pagetest::useBundle(folder);
    PageHarness app;
    app.launch();
    auto& table = *app.mainPage().RootTable;
    table.tapRowAtIndexPath({0, 0});
    EXPECT_EQ(app.depth(), 1u);
    EXPECT_FALSE(table.indexPathForSelectedRow());
    app.mainPage().navigationItem().rightBarButtonItem()->tap();
    EXPECT_EQ(app.depth(), 1u);
}

}  // namespace
