// The search page on catalogues of every shape: what it lists, and the play
// page a result opens.

#include "Classes/PlayPage.h"
#include "Classes/Search/SearchPage.h"
#include "tests/Classes/PageHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using pagetest::PageHarness;

const char* const kCatalogue =
    "<Sounds>\n"
    "  <DT title=\"Animals\">\n"
    "    <DS audio_no=\"1\" label=\"Cat\"/>\n"
    "    <DS audio_no=\"2\" label=\"Éclair the Cow\"/>\n"
    "    some text between entries\n"
    "    <DS audio_no=\"3\"/>\n"
    "  </DT>\n"
    "  loose text as a category\n"
    "  <DT>\n"
    "    <DS audio_no=\"4\" label=\"Car\"/>\n"
    "  </DT>\n"
    "</Sounds>\n";

SearchPage& openSearch(PageHarness& app) {
    auto page = platform::ViewController::initWithNibName<SearchPage>("SearchPage");
    if (!page) throw std::runtime_error("no search page");
    app.navigation().pushViewController(page, false);
    auto* shown = app.topAs<SearchPage>();
    if (shown == nullptr || !shown->QueryField || !shown->ResultTable) {
        throw std::runtime_error("the search page is not connected");
    }
    return *shown;
}

TEST(SearchPageTest, ListsTheMatchingSoundsOfEveryCategoryWhateverTheCatalogueHolds) {
    struct Case {
        const char* name;
        const char* catalogue;  // null: no Data.XML
        const char* query;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"everything, an entry without a label included",
         kCatalogue,
         "",
         {"Cat", "Éclair the Cow", "", "Car"}},
        {"label starts, then inside", kCatalogue, "C", {"Cat", "Car", "Éclair the Cow"}},
        {"accents and case", kCatalogue, "ECLAIR", {"Éclair the Cow"}},
        {"a later word", kCatalogue, "cow", {"Éclair the Cow"}},
        {"nothing found", kCatalogue, "dog", {}},
        {"no catalogue", nullptr, "", {}},
        {"an empty catalogue", "<Sounds/>", "c", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto folder = pagetest::makeBundle(c.catalogue ? c.catalogue : "<S/>");
        if (c.catalogue == nullptr) std::filesystem::remove(folder / "Data.XML");
        pagetest::useBundle(folder);
        PageHarness app;
        app.launch();
        SearchPage& page = openSearch(app);
        page.QueryField->insertText(c.query);
        const auto rows = pagetest::rowTexts(*page.ResultTable);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0], c.rows);
        EXPECT_EQ(page.resultCount(), static_cast<int>(c.rows.size()));
        EXPECT_EQ(page.resultAt(-1), nullptr);
        EXPECT_EQ(page.resultAt(page.resultCount()), nullptr);
    }
}

TEST(SearchPageTest, AResultOpensItsOwnEntryOnAPlayPageAndTheRowIsDeselected) {
    pagetest::useBundle(pagetest::makeBundle(kCatalogue, {"1", "2", "4"}));
    PageHarness app;
    app.launch();
    SearchPage& page = openSearch(app);
    page.QueryField->insertText("c");
    page.ResultTable->layoutIfNeeded();
    const auto expected = page.resultAt(1);
    ASSERT_NE(expected, nullptr);
    EXPECT_EQ(expected->attribute("label"), "Car");

    page.ResultTable->tapRowAtIndexPath({0, 1});
    auto* play = app.topAs<PlayPage>();
    ASSERT_NE(play, nullptr);
    EXPECT_EQ(play->curData, expected) << "the catalogue's own entry, as a main page row gives";
    EXPECT_EQ(app.depth(), 3u);
    EXPECT_FALSE(page.ResultTable->indexPathForSelectedRow());

    app.back();
    EXPECT_EQ(page.QueryField->text(), "c") << "the query stays";
    EXPECT_EQ(page.resultCount(), 3);
}

}  // namespace
