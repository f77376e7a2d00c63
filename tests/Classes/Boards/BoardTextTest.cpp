// The orders and texts a board is written with: natural order of names, and
// catalogue attributes that read back through the pages' reader unchanged.

#include "Classes/Boards/NaturalOrder.h"
#include "Classes/Catalogue/CatalogueWriter.h"
#include "Classes/SPLibrary/SPXML.h"

#include <gtest/gtest.h>

namespace {

TEST(NaturalOrder, NumbersByValueLettersWithoutCaseAndATotalOrder) {
    struct Row {
        const char* before;
        const char* after;
    };
    const Row rows[] = {
        {"2 Bell", "10 Bell"},
        {"Bell 9", "Bell 10"},
        {"a", "B"},
        {"abc", "abcd"},
        {"007", "8"},
        {"Track 1b", "Track 2a"},
        {"x2y3", "x2y10"},
        {"01", "1"},
        {"A", "a"},
        {"", "0"},
        {"99999999999999999999", "100000000000000000000"},
    };
    for (const auto& row : rows) {
        EXPECT_TRUE(naturallyBefore(row.before, row.after)) << row.before << " < " << row.after;
        EXPECT_FALSE(naturallyBefore(row.after, row.before)) << row.after << " < " << row.before;
    }
    EXPECT_FALSE(naturallyBefore("same", "same"));
}

TEST(CatalogueWriter, EveryAwkwardLabelReadsBackExactly) {
    const std::vector<std::string> labels = {"Salt & Pepper <3 \"Hi\"",
                                             "it's > that",
                                             "Ünïcödé ✓ 音",
                                             "tab\there",
                                             "two\nlines",
                                             "cr\rhere",
                                             "&amp; already escaped",
                                             "]]>",
                                             " spaced  out "};
    std::vector<CatalogueCategory> categories{{"Cats & <Dogs>", {}}};
    for (std::size_t i = 0; i < labels.size(); ++i) {
        ASSERT_TRUE(CatalogueWriter::canHold(labels[i])) << labels[i];
        categories[0].sounds.push_back({std::to_string(i), labels[i]});
    }
    auto reader = SPXML::initWithData(CatalogueWriter::catalogueText(categories));
    ASSERT_TRUE(reader && reader->parse());
    auto category = reader->document()->childAt(0);
    ASSERT_TRUE(category);
    EXPECT_EQ(category->attribute("title"), "Cats & <Dogs>");
    ASSERT_EQ(category->childCount(), labels.size());
    for (std::size_t i = 0; i < labels.size(); ++i) {
        EXPECT_EQ(category->childAt(i)->attribute("label"), labels[i]);
    }
}

TEST(CatalogueWriter, RefusesTextNoAttributeCanHold) {
    for (const std::string& text : {std::string("bell\x01"), std::string("nul\0x", 5),
                                    std::string("\xff\xfe latin-1"), std::string("\xc3")}) {
        EXPECT_FALSE(CatalogueWriter::canHold(text));
    }
}

}  // namespace
