#include "Classes/Catalogue/Catalogue.h"
#include "Classes/FavouritesDocument.h"
#include "Classes/Reference.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::shared_ptr<SPXMLElement> parse(const std::string& text) {
    return Catalogue::parseDocument(text);
}

FavouritesDocument::MarkLookup marked(std::set<std::string> numbers) {
    return [numbers = std::move(numbers)](const std::string& audioNumber) {
        return numbers.contains(audioNumber);
    };
}

const char* const kTwoCategories =
    "<?xml version=\"1.0\"?>\n<Sounds>\n"
    "  <DT title=\"Animals\">\n"
    "    <DS audio_no=\"1\" label=\"Cat\" extra=\"dropped\"/>\n"
    "    <DS audio_no=\"007\" label=\"Dog\"/>\n"
    "  </DT>\n"
    "  <DT title=\"Machines\">\n"
    "    <DS audio_no=\"3\" label=\"Car\"/>\n"
    "  </DT>\n"
    "</Sounds>\n";

TEST(FavouritesDocumentTest, WritesTheDocumentByteForByte) {
    struct Case {
        const char* name;
        std::set<std::string> marks;
        const char* expected;
    };
    const Case cases[] = {
        {"no marks",
         {},
         "<LoveXML><DT title=\"Animals\"></DT><DT title=\"Machines\"></DT></LoveXML>"},
        {"one mark with leading zeros",
         {"007"},
         "<LoveXML><DT title=\"Animals\"><DS audio_no=\"007\" label=\"Dog\" /></DT>"
         "<DT title=\"Machines\"></DT></LoveXML>"},
        {"every mark, catalogue order",
         {"3", "007", "1"},
         "<LoveXML><DT title=\"Animals\"><DS audio_no=\"1\" label=\"Cat\" />"
         "<DS audio_no=\"007\" label=\"Dog\" /></DT>"
         "<DT title=\"Machines\"><DS audio_no=\"3\" label=\"Car\" /></DT></LoveXML>"},
        {"a mark on a number written differently",
         {"7"},
         "<LoveXML><DT title=\"Animals\"></DT><DT title=\"Machines\"></DT></LoveXML>"},
    };
    auto catalogue = parse(kTwoCategories);
    ASSERT_TRUE(catalogue);
    for (const auto& c : cases) {
        EXPECT_EQ(FavouritesDocument::write(catalogue, marked(c.marks)), c.expected) << c.name;
    }
}

TEST(FavouritesDocumentTest, WithoutACatalogueTheDocumentIsItsElementAlone) {
    EXPECT_EQ(FavouritesDocument::write(nullptr, marked({"1"})), "<LoveXML></LoveXML>");
    auto read = FavouritesDocument::read(FavouritesDocument::write(nullptr, marked({})));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->name(), "LoveXML");
    EXPECT_EQ(read->childCount(), 0u);
}

TEST(FavouritesDocumentTest, UsesTheStoredMarksWhenNoLookupIsGiven) {
    auto catalogue = parse(kTwoCategories);
    Reference::setBool(true, "3");
    Reference::setBool(false, "1");  // stored NO reads like never stored
    EXPECT_EQ(FavouritesDocument::write(catalogue),
              "<LoveXML><DT title=\"Animals\"></DT>"
              "<DT title=\"Machines\"><DS audio_no=\"3\" label=\"Car\" /></DT></LoveXML>");
}

TEST(FavouritesDocumentTest, EscapesOnlyWhatAnAttributeValueCannotCarry) {
    struct Case {
        std::string value;
        std::string escaped;
    };
    const Case cases[] = {
        {"plain", "plain"},
        {"Salt & Pepper", "Salt &amp; Pepper"},
        {"<3", "&lt;3"},
        {"say \"hi\"", "say &quot;hi&quot;"},
        {"a\tb\nc\rd", "a&#9;b&#10;c&#13;d"},
        {"'single' > other", "'single' > other"},
        {"&amp; already", "&amp;amp; already"},
        {"caf\xC3\xA9 \xF0\x9F\x94\x8A", "caf\xC3\xA9 \xF0\x9F\x94\x8A"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FavouritesDocument::escapeAttributeValue(c.value), c.escaped) << c.value;
    }
}

TEST(FavouritesDocumentTest, ValuesRoundTripExactly) {
    // Values as the catalogue delivers them, written into the document and read back.
    const std::string values[] = {
        "Salt & Pepper <3 \"Hi\"",
        "tab\there",
        "two\nlines",
        "cr\rlf\r\n",
        "  padded  ",
        "007",
        "caf\xC3\xA9",
        "a'b>c",
        "&#38;",
    };
    for (const auto& value : values) {
        std::string catalogueText =
            "<C><DT title=\"" + FavouritesDocument::escapeAttributeValue(value) +
            "\"><DS audio_no=\"" + FavouritesDocument::escapeAttributeValue(value) + "\" label=\"" +
            FavouritesDocument::escapeAttributeValue(value) + "\"/></DT></C>";
        auto catalogue = parse(catalogueText);
        ASSERT_TRUE(catalogue) << value;
        auto entry = Catalogue::soundEntryAt(catalogue, 0, 0);
        ASSERT_TRUE(entry);
        ASSERT_EQ(Catalogue::audioNumber(*entry), value);

        auto favourites =
            FavouritesDocument::read(FavouritesDocument::write(catalogue, marked({value})));
        auto category = Catalogue::categoryAt(favourites, 0);
        auto copied = Catalogue::soundEntryAt(favourites, 0, 0);
        ASSERT_TRUE(category && copied) << value;
        EXPECT_EQ(category->attribute("title"), value);
        EXPECT_EQ(Catalogue::audioNumber(*copied), value);
        EXPECT_EQ(Catalogue::label(*copied), value);
        EXPECT_EQ(copied->attributes()->size(), 2u);
    }
}

TEST(FavouritesDocumentTest, StrayTextKeepsSectionsInPlace) {
    // A text node where a category should be becomes an empty category; one
    // where an entry should be is no entry at all.
    auto catalogue =
        parse("<C>stray<DT title=\"A\">inside<DS audio_no=\"1\" label=\"One\"/></DT></C>");
    ASSERT_TRUE(catalogue);
    ASSERT_EQ(catalogue->childCount(), 2u);
    EXPECT_EQ(FavouritesDocument::write(catalogue, marked({"1", ""})),
              "<LoveXML><DT title=\"\"></DT>"
              "<DT title=\"A\"><DS audio_no=\"1\" label=\"One\" /></DT></LoveXML>");
}

TEST(FavouritesDocumentTest, EntriesWithoutAttributesWriteEmptyValues) {
    auto catalogue = parse("<C><DT><DS/><DS label=\"Only label\"/></DT></C>");
    EXPECT_EQ(FavouritesDocument::write(catalogue, marked({""})),
              "<LoveXML><DT title=\"\"><DS audio_no=\"\" label=\"\" />"
              "<DS audio_no=\"\" label=\"Only label\" /></DT></LoveXML>");
}

}  // namespace
