#include "Classes/SPLibrary/SPXML.h"

#include "SPXMLTestSupport.h"
#include "tests/support/TestEnvironment.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using sbtest::describeTree;

std::string treeOf(const std::string& xml) {
    return describeTree(SPXML::initWithData(xml)->document());
}

class ErrorLog : public SPXMLErrorDelegate {
  public:
    void parserParseErrorOccurred(SPXML& parser, const platform::XMLParseError& error) override {
        readers.push_back(&parser);
        errors.push_back(error);
    }
    std::vector<SPXML*> readers;
    std::vector<platform::XMLParseError> errors;
};

}  // namespace

TEST(SPXML, BuildsTheTreeTheDocumentDescribes) {
    struct Case {
        std::string xml;
        std::string tree;
    };
    const std::vector<Case> cases = {
        // Blank text between child elements makes no nodes.
        {"<r>\n  <a/>\n\t<b></b>\r\n</r>", "r[](a[]b[])"},
        // Text is trimmed at both ends; blank-only content leaves no children.
        {"<r>  padded text \n</r>", "r[](\"padded text\")"},
        {"<r> \n\t </r>", "r[]"},
        // Text, element, text: three children in order.
        {"<r>before<c/>after</r>", "r[](\"before\"c[]\"after\")"},
        // Attribute names as written, values decoded, nothing trimmed.
        {"<DS audio_no=\"007\" label=\" Tom &amp; Jerry \"/>",
         "DS[audio_no=007;label= Tom & Jerry ;]"},
        // Prefixes kept: namespace processing is off.
        {"<x:r xmlns:x=\"urn:x\"><x:c x:a=\"1\"/></x:r>", "x:r[xmlns:x=urn:x;](x:c[x:a=1;])"},
        // Comments, processing instructions, CDATA and declarations add nothing.
        {"<?xml version=\"1.0\"?><!DOCTYPE r><!--c--><r><!--c--><?pi "
         "x?><![CDATA[raw]]></r><!--c-->",
         "r[]"},
        // Unicode spaces and line separators are trimmed too.
        {"<r>\xC2\xA0\xE3\x80\x80wide\xE2\x80\xA8\xC2\x85</r>", "r[](\"wide\")"},
        // A reference splits character data; each piece becomes a trimmed node of its own.
        {"<r>Tom &amp; Jerry</r>", "r[](\"Tom\"\"&\"\"Jerry\")"},
        {"<r>&lt;tag&gt;</r>", "r[](\"<\"\"tag\"\">\")"},
        // The catalogue's shape.
        {"<Data>\n <DT title=\"One\">\n  <DS audio_no=\"1\" label=\"A\"/>\n  <DS audio_no=\"2\" "
         "label=\"B\"/>\n </DT>\n <DT title=\"Two\"/>\n</Data>\n",
         "Data[](DT[title=One;](DS[audio_no=1;label=A;]DS[audio_no=2;label=B;])DT[title=Two;])"},
    };
    for (const auto& c : cases) EXPECT_EQ(treeOf(c.xml), c.tree) << c.xml;
}

TEST(SPXML, TextNodesAndElementsAnswerAsTheirKindSays) {
    auto reader = SPXML::initWithData("<r k=\"v\">text<c/></r>");
    auto root = reader->document();
    ASSERT_TRUE(root);
    auto text = root->childAt(0);
    auto child = root->childAt(1);
    ASSERT_TRUE(text && child);

    EXPECT_EQ(text->text(), "text");
    EXPECT_EQ(text->name(), "");
    EXPECT_EQ(text->attributes(), std::nullopt);
    EXPECT_EQ(text->attribute("k"), std::nullopt);
    EXPECT_EQ(text->childCount(), 0u);

    EXPECT_EQ(root->text(), std::nullopt);
    EXPECT_EQ(root->attribute("k"), "v");
    EXPECT_EQ(child->text(), std::nullopt);
    EXPECT_EQ(child->attributes(), SPXMLAttributeMap{});

    EXPECT_EQ(text->parent(), root);
    EXPECT_EQ(child->parent(), root);
    auto syntheticRoot = root->parent();
    ASSERT_TRUE(syntheticRoot) << "the reader holds the synthetic root";
    EXPECT_EQ(syntheticRoot->name(), std::nullopt);
    EXPECT_EQ(syntheticRoot->attributes(), std::nullopt);
    EXPECT_EQ(syntheticRoot->text(), std::nullopt);
    EXPECT_EQ(syntheticRoot->parent(), nullptr);
}

TEST(SPXML, MalformedInputKeepsWhatWasReadAndAnswersFalse) {
    struct Case {
        std::string xml;
        std::string tree;
        XML_Error code;
    };
    const std::vector<Case> cases = {
        {"", "none", XML_ERROR_NO_ELEMENTS},
        {"   ", "none", XML_ERROR_NO_ELEMENTS},
        {"just text", "none", XML_ERROR_SYNTAX},
        {"<a><b>one<c x=\"1\">two", "a[](b[](\"one\"c[x=1;](\"two\")))", XML_ERROR_NO_ELEMENTS},
        {"<a><b>one</b><c", "a[](b[](\"one\"))", XML_ERROR_UNCLOSED_TOKEN},
        {"<a><b></a>", "a[](b[])", XML_ERROR_TAG_MISMATCH},
        // The text before the bad byte was already delivered, and stays.
        {"<a>ok<b>bad \xC3\x28 byte</b></a>", "a[](\"ok\"b[](\"bad\"))", XML_ERROR_INVALID_TOKEN},
        {"<a/><b/>", "a[]", XML_ERROR_JUNK_AFTER_DOC_ELEMENT},
    };
    for (const auto& c : cases) {
        auto reader = SPXML::initWithData(c.xml);
        ASSERT_TRUE(reader) << c.xml;
        EXPECT_EQ(describeTree(reader->document()), c.tree) << c.xml;
        auto log = std::make_shared<ErrorLog>();
        reader->setErrorDelegate(log);
        EXPECT_FALSE(reader->parse()) << c.xml;
        EXPECT_EQ(describeTree(reader->document()), c.tree) << c.xml;
        ASSERT_EQ(log->errors.size(), 1u) << c.xml;
        EXPECT_EQ(log->errors[0].code, static_cast<int>(c.code)) << c.xml;
        EXPECT_EQ(log->readers[0], reader.get());
        ASSERT_TRUE(reader->parserError());
        EXPECT_EQ(reader->parserError()->code, static_cast<int>(c.code));
    }
}

TEST(SPXML, WellFormedInputAnswersTrueAndTellsTheErrorDelegateNothing) {
    auto reader = SPXML::initWithData("<a/>");
    auto log = std::make_shared<ErrorLog>();
    reader->setErrorDelegate(log);
    EXPECT_EQ(reader->errorDelegate(), log);
    EXPECT_TRUE(reader->parse());
    EXPECT_TRUE(log->errors.empty());
    reader->setErrorDelegate(nullptr);
    EXPECT_EQ(reader->errorDelegate(), nullptr);
}

TEST(SPXML, ParsingAgainBuildsAnEqualNewTreeAndHoldersKeepTheOldOne) {
    const std::string xml = "<r a=\"1\">x<b>y</b><c/></r>";
    auto reader = SPXML::initWithData(xml);
    auto first = reader->document();
    ASSERT_TRUE(first);
    const std::string before = describeTree(first);

    EXPECT_TRUE(reader->parse());
    auto second = reader->document();
    ASSERT_TRUE(second);
    EXPECT_NE(first, second) << "each run builds a new tree";
    EXPECT_EQ(describeTree(second), before);
    EXPECT_EQ(describeTree(first), before) << "the earlier tree lives on with its holder";
    EXPECT_EQ(first->parent(), nullptr) << "its synthetic root went with the earlier run";
}

TEST(SPXML, TheTreeOutlivesTheReader) {
    std::shared_ptr<SPXMLElement> document;
    std::shared_ptr<SPXMLElement> entry;
    {
        auto reader = SPXML::initWithData("<r><DT title=\"t\"><DS audio_no=\"9\"/></DT></r>");
        document = reader->document();
        entry = document->childAt(0)->childAt(0);
    }
    EXPECT_EQ(describeTree(document), "r[](DT[title=t;](DS[audio_no=9;]))");
    document.reset();
    EXPECT_EQ(entry->attribute("audio_no"), "9") << "an entry alone stays valid";
    EXPECT_EQ(entry->parent(), nullptr);
}

TEST(SPXML, ReadsFromFileURLs) {
    const auto path = sbtest::tempDir() / "Data.XML";
    sbtest::writeFile(path, "<Data><DT title=\"x\"/></Data>");
    auto reader = SPXML::initWithContentsOfURL(platform::URL::fileURLWithPath(path.string()));
    ASSERT_TRUE(reader);
    EXPECT_EQ(describeTree(reader->document()), "Data[](DT[title=x;])");

    const auto missing = platform::URL::fileURLWithPath((sbtest::tempDir() / "none").string());
    EXPECT_EQ(SPXML::initWithContentsOfURL(missing), nullptr);
    const auto remote = platform::URL::URLWithString("https://example.com/Data.XML");
    ASSERT_TRUE(remote);
    EXPECT_EQ(SPXML::initWithContentsOfURL(*remote), nullptr);
}

TEST(SPXML, AlikeElementsShareOneShapeButAnswerTheirOwnValues) {
    auto reader = SPXML::initWithData(
        "<r><DS audio_no=\"1\" label=\"a\"/><DS label=\"b\" audio_no=\"2\"/>"
        "<DS audio_no=\"3\" label=\"c\"/><DS audio_no=\"4\"/></r>");
    auto root = reader->document();
    ASSERT_EQ(root->childCount(), 4u);
    const std::vector<std::pair<std::optional<std::string>, std::optional<std::string>>> expected =
        {{"1", "a"}, {"2", "b"}, {"3", "c"}, {"4", std::nullopt}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        auto entry = root->childAt(i);
        EXPECT_EQ(entry->name(), "DS");
        EXPECT_EQ(entry->attribute("audio_no"), expected[i].first) << i;
        EXPECT_EQ(entry->attribute("label"), expected[i].second) << i;
    }
    root->childAt(0)->setName("renamed");
    EXPECT_EQ(root->childAt(2)->name(), "DS") << "renaming one leaves the others alone";
}
