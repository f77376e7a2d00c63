#include "Classes/Catalogue/Catalogue.h"
#include "Classes/LovePage.h"
#include "Classes/PlayPage.h"
#include "Classes/Reference.h"
#include "PageHarness.h"

#include <gtest/gtest.h>

namespace {

using pagetest::PageHarness;
using Rows = std::vector<std::vector<std::string>>;

const char* const kCatalogue =
    "<Sounds>\n"
    "  <DT title=\"Animals\">\n"
    "    <DS audio_no=\"1\" label=\"Cat\"/>\n"
    "    <DS audio_no=\"2\" label=\"Dog\"/>\n"
    "    <DS audio_no=\"3\" label=\"Cow\"/>\n"
    "  </DT>\n"
    "  <DT title=\"Machines\">\n"
    "    <DS audio_no=\"4\" label=\"Car\"/>\n"
    "    <DS audio_no=\"2\" label=\"Dog again\"/>\n"
    "  </DT>\n"
    "  <DT title=\"Weather\">\n"
    "    <DS audio_no=\"5\" label=\"Rain\"/>\n"
    "  </DT>\n"
    "</Sounds>\n";

class LovePageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        pagetest::useBundle(pagetest::makeBundle(kCatalogue, {"1", "2", "3", "4", "5"}));
        app.launch();
    }
    LovePage& openFavourites() {
        app.mainPage().navigationItem().rightBarButtonItem()->tap();
        auto* page = app.topAs<LovePage>();
        if (page == nullptr) throw std::runtime_error("no favourites page");
        return *page;
    }
    PageHarness app;
};

TEST_F(LovePageTest, ListsMarkedSoundsByCategoryInCatalogueOrder) {
    struct Case {
        const char* name;
        std::vector<std::string> marks;  // in the order they are set
        Rows rows;
    };
    const Case cases[] = {
        {"no marks", {}, {{}, {}, {}}},
        {"one in the second category", {"4"}, {{}, {"Car"}, {}}},
        {"marked backwards", {"5", "3", "1"}, {{"Cat", "Cow"}, {}, {"Rain"}}},
        {"a shared number lists both", {"2"}, {{"Dog"}, {"Dog again"}, {}}},
    };
    for (const auto& c : cases) {
        for (const char* key : {"1", "2", "3", "4", "5"}) Reference::setBool(false, key);
        for (const auto& key : c.marks) Reference::setBool(true, key);
        auto& page = openFavourites();
        EXPECT_EQ(pagetest::rowTexts(*page.LoveTable), c.rows) << c.name;
        ASSERT_TRUE(page.LoveData);
        EXPECT_EQ(page.LoveData->name(), "LoveXML");
        EXPECT_EQ(Catalogue::categoryCount(page.RootData), 3);
        app.back();
    }
}

TEST_F(LovePageTest, RebuildsOnEveryAppearance) {
    Reference::setBool(true, "3");
    auto& page = openFavourites();
    EXPECT_EQ(pagetest::rowTexts(*page.LoveTable), (Rows{{"Cow"}, {}, {}}));
    std::weak_ptr<SPXMLElement> firstTree = page.LoveData;
    int loads = page.Ad->loadCount();

    // Unmark from the play page and come back: the row is gone.
    page.LoveTable->tapRowAtIndexPath({0, 0});
    auto* play = app.topAs<PlayPage>();
    ASSERT_TRUE(play);
    EXPECT_EQ(Catalogue::label(*play->curData), "Cow");
    EXPECT_EQ(pagetest::rightSystemItem(*play), platform::kBarButtonSystemItemTrash);
    play->navigationItem().rightBarButtonItem()->tap();
    app.advance(1.6);
    app.back();
    EXPECT_EQ(pagetest::rowTexts(*page.LoveTable), (Rows{{}, {}, {}}));
    EXPECT_TRUE(firstTree.expired());
    EXPECT_EQ(page.Ad->loadCount(), loads + 1);

    // Mark two elsewhere (behind the page) and come back again.
    page.LoveTable->tapRowAtIndexPath({0, 0});  // no rows: nothing happens
    EXPECT_EQ(app.topAs<LovePage>(), &page);
    Reference::setBool(true, "5");
    Reference::setBool(true, "1");
    page.viewWillAppear(false);
    EXPECT_EQ(pagetest::rowTexts(*page.LoveTable), (Rows{{"Cat"}, {}, {"Rain"}}));
}

TEST_F(LovePageTest, AnEntryOutlivesTheTreeItCameFrom) {
    Reference::setBool(true, "1");
    auto& page = openFavourites();
    page.LoveTable->tapRowAtIndexPath({0, 0});
    auto* play = app.topAs<PlayPage>();
    ASSERT_TRUE(play);
    play->navigationItem().rightBarButtonItem()->tap();  // remove, flash pending
    std::weak_ptr<platform::ViewController> watched = app.navigation().viewControllers().back();
    app.back();  // the favourites page rebuilds its trees
    ASSERT_FALSE(watched.expired());
    EXPECT_EQ(Catalogue::audioNumber(*play->curData), "1");
    app.advance(1.4);  // the delayed call runs on the hidden page
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(pagetest::rowTexts(*page.LoveTable), (Rows{{}, {}, {}}));
}

TEST_F(LovePageTest, ShowsTheHeartInPlaceOfATitle) {
    auto& page = openFavourites();
    auto heart = std::dynamic_pointer_cast<platform::ImageView>(page.navigationItem().titleView());
    ASSERT_TRUE(heart);
    ASSERT_TRUE(heart->image());
    EXPECT_EQ(heart->image()->name(), "love.png");
}

TEST(LovePageLabelsTest, AwkwardLabelsRoundTripToTheSameSoundAndMark) {
    // Labels and numbers as the catalogue holds them, escaped in the file.
    const std::string label = "Salt & Pepper <3 \"Hi\"\tand\nmore";
    const std::string number = "0&\"<1";
    pagetest::useBundle(
        pagetest::makeBundle("<S><DT title=\"A &amp; B\">"
                             "<DS audio_no=\"0&amp;&quot;&lt;1\" label=\"Salt &amp; Pepper &lt;3 "
                             "&quot;Hi&quot;&#9;and&#10;more\"/>"
                             "</DT></S>",
                             {number}));
    PageHarness app;
    app.launch();
    app.mainPage().RootTable->tapRowAtIndexPath({0, 0});
    auto* fromMain = app.topAs<PlayPage>();
    ASSERT_TRUE(fromMain);
    EXPECT_EQ(fromMain->title(), label);
    EXPECT_NE(fromMain->m_sndID, 0u);
    std::string soundPath = fromMain->sndPath;
    fromMain->rightAction1();
    app.advance(1.6);
    app.back();

    app.mainPage().toLovePage();
    auto* love = app.topAs<LovePage>();
    ASSERT_TRUE(love);
    EXPECT_EQ(pagetest::rowTexts(*love->LoveTable), (Rows{{label}}));
    love->LoveTable->tapRowAtIndexPath({0, 0});
    auto* fromLove = app.topAs<PlayPage>();
    ASSERT_TRUE(fromLove);
    EXPECT_EQ(fromLove->title(), label);
    EXPECT_EQ(fromLove->tlabel->text(), label);
    EXPECT_EQ(fromLove->sndPath, soundPath);
    EXPECT_NE(fromLove->m_sndID, 0u);
    EXPECT_EQ(pagetest::rightSystemItem(*fromLove), platform::kBarButtonSystemItemTrash);
}

TEST(LovePageEmptyTest, WithoutACatalogueThereAreNoSections) {
    auto folder = pagetest::makeBundle("");
    std::filesystem::remove(folder / "Data.XML");
    pagetest::useBundle(folder);
    PageHarness app;
    app.launch();
    app.mainPage().toLovePage();
    auto* love = app.topAs<LovePage>();
    ASSERT_TRUE(love);
    EXPECT_FALSE(love->RootData);
    ASSERT_TRUE(love->LoveData);
    EXPECT_EQ(love->LoveTable->numberOfSections(), 0);
    EXPECT_EQ(love->numberOfSectionsInTableView(*love->LoveTable), 0);
    love->LoveData.reset();
    EXPECT_EQ(love->numberOfSectionsInTableView(*love->LoveTable), 0);
}

}  // namespace
