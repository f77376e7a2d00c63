#include "Classes/Catalogue/Catalogue.h"
#include "tests/Classes/PageHarness.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

TEST(CatalogueTest, IndexingNeverReachesPastTheTree) {
    auto root = Catalogue::parseDocument(
        "<C>\n  <DT title=\"A\">\n    <DS audio_no=\"1\" label=\"One\"/>\n    text\n  </DT>\n"
        "  words\n  <DT title=\"Empty\"/>\n</C>");
    ASSERT_TRUE(root);
    struct Case {
        int section;
        int row;
        bool entry;
        const char* label;
    };
    const Case cases[] = {
        {0, 0, true, "One"}, {0, 1, false, ""},  {0, 2, false, ""},
        {1, 0, false, ""},   {2, 0, false, ""},  {3, 0, false, ""},
        {-1, 0, false, ""},  {0, -1, false, ""}, {1000000, 1000000, false, ""},
    };
    for (const auto& c : cases) {
        auto entry = Catalogue::soundEntryAt(root, c.section, c.row);
        EXPECT_EQ(static_cast<bool>(entry), c.entry) << c.section << "," << c.row;
        if (entry) {
            EXPECT_EQ(Catalogue::label(*entry), c.label);
        }
    }
    EXPECT_EQ(Catalogue::categoryCount(root), 3);
    EXPECT_EQ(Catalogue::soundCount(root, 0), 2);  // the entry and the text node
    EXPECT_EQ(Catalogue::soundCount(root, 1), 0);  // a text node as a category: empty
    EXPECT_EQ(Catalogue::soundCount(root, 2), 0);
    EXPECT_EQ(Catalogue::soundCount(root, 3), 0);
    EXPECT_EQ(Catalogue::soundCount(root, -1), 0);
    EXPECT_EQ(Catalogue::categoryCount(nullptr), 0);
    EXPECT_EQ(Catalogue::soundCount(nullptr, 0), 0);
    EXPECT_FALSE(Catalogue::soundEntryAt(nullptr, 0, 0));
}

TEST(CatalogueTest, LoadsTheBundleCatalogueOrNothing) {
    struct Case {
        const char* name;
        const char* contents;  // null: no Data.XML at all
        int categories;
    };
    const Case cases[] = {
        {"two categories", "<S><DT title=\"a\"/><DT title=\"b\"/></S>", 2},
        {"empty file", "", -1},
        {"no element", "<?xml version=\"1.0\"?>", -1},
        {"cut off", "<S><DT title=\"a\"><DS audio_no=\"1\"", 1},
        {"missing file", nullptr, -1},
    };
    for (const auto& c : cases) {
        auto folder = pagetest::makeBundle(c.contents ? c.contents : "");
        if (!c.contents) std::filesystem::remove(folder / "Data.XML");
        pagetest::useBundle(folder);
        auto root = Catalogue::loadDocument();
        if (c.categories < 0) {
            EXPECT_FALSE(root) << c.name;
        } else {
            ASSERT_TRUE(root) << c.name;
            EXPECT_EQ(Catalogue::categoryCount(root), c.categories) << c.name;
        }
    }
}

}  // namespace
