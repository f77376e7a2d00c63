#include "Classes/SPLibrary/SPXML.h"

#include "tests/support/TestEnvironment.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Every text in the tree, walked without recursion.
std::string allText(const std::shared_ptr<SPXMLElement>& top) {
    std::string out;
    std::vector<std::shared_ptr<SPXMLElement>> work;
    if (top) work.push_back(top);
    while (!work.empty()) {
        auto element = std::move(work.back());
        work.pop_back();
        if (auto text = element->text()) out += *text + "|";
        if (auto attributes = element->attributes()) {
            for (const auto& [key, value] : *attributes) out += key + "=" + value + "|";
        }
        for (auto& child : element->elements()) work.push_back(std::move(child));
    }
    return out;
}

}  // namespace

TEST(SPXMLRobustness, DeeplyNestedElementsNeitherOverflowWhileParsingNorWhileDestroyed) {
    constexpr std::size_t kDepth = 200000;
    std::string xml;
    xml.reserve(kDepth * 7 + 16);
    for (std::size_t i = 0; i < kDepth; ++i) xml += "<e>";
    xml += "deep";
    for (std::size_t i = 0; i < kDepth; ++i) xml += "</e>";

    auto reader = SPXML::initWithData(std::move(xml));
    ASSERT_TRUE(reader);
    auto element = reader->document();
    std::size_t depth = 0;
    while (element && element->name() == "e") {
        ++depth;
        element = element->childAt(0);
    }
    EXPECT_EQ(depth, kDepth);
    ASSERT_TRUE(element);
    EXPECT_EQ(element->text(), "deep");

    // Released from the top, with the deepest node still held, then entirely.
    auto keepDeepest = element;
    element.reset();
    reader.reset();
    EXPECT_EQ(keepDeepest->text(), "deep");
    EXPECT_EQ(keepDeepest->parent(), nullptr);
}

TEST(SPXMLRobustness, AHandBuiltDeepChainIsDestroyedWithoutRecursion) {
    auto top = SPXMLElement::init("top", nullptr, {});
    auto current = top;
    for (int i = 0; i < 200000; ++i) {
        auto child = SPXMLElement::init("c", current, {});
        current->appendChild(child);
        current = std::move(child);
    }
    current.reset();
    top.reset();
    SUCCEED();
}

TEST(SPXMLRobustness, EntityAmplificationFailsFast) {
    std::string declarations = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">";
    std::string previous = "lol";
    for (int level = 1; level <= 9; ++level) {
        const std::string name = "lol" + std::to_string(level);
        declarations += "<!ENTITY " + name + " \"";
        for (int i = 0; i < 10; ++i) declarations += "&" + previous + ";";
        declarations += "\">";
        previous = name;
    }
    declarations += "]>";
    for (const std::string body : {"<lolz>&lol9;</lolz>", "<lolz a=\"&lol9;\"/>"}) {
        auto reader = SPXML::initWithData(declarations + body);
        ASSERT_TRUE(reader);
        EXPECT_FALSE(reader->parse()) << body;
        ASSERT_TRUE(reader->parserError()) << body;
        EXPECT_EQ(reader->parserError()->code,
                  static_cast<int>(XML_ERROR_AMPLIFICATION_LIMIT_BREACH))
            << body;
    }
}

TEST(SPXMLRobustness, ExternalEntitiesNamingLocalFilesAreNeverRead) {
    const auto secret = sbtest::tempDir() / "secret.txt";
    sbtest::writeFile(secret, "the-secret-word");
    const auto dtd = sbtest::tempDir() / "outer.dtd";
    sbtest::writeFile(dtd, "<!ENTITY stolen SYSTEM \"file://" + secret.string() + "\">");
    const std::vector<std::string> documents = {
        "<!DOCTYPE r [<!ENTITY stolen SYSTEM \"file://" + secret.string() + "\">]><r>&stolen;</r>",
        "<!DOCTYPE r [<!ENTITY stolen SYSTEM \"" + secret.string() + "\">]><r a=\"x\">&stolen;</r>",
        "<!DOCTYPE r SYSTEM \"" + dtd.string() + "\"><r>&stolen;</r>",
        "<!DOCTYPE r [<!ENTITY % outer SYSTEM \"" + dtd.string() + "\">%outer;]><r>&stolen;</r>",
    };
    for (const auto& xml : documents) {
        auto reader = SPXML::initWithData(xml);
        ASSERT_TRUE(reader);
        EXPECT_EQ(allText(reader->document()).find("secret-word"), std::string::npos) << xml;
    }
}

TEST(SPXMLRobustness, BrokenInputKeepsThePartialTree) {
    struct Case {
        std::string name;
        std::string xml;
        std::size_t entriesRead;
    };
    static constexpr char kWithNul[] = "<r><DS n=\"1\"/>\0</r>";
    const std::vector<Case> cases = {
        {"invalid UTF-8", "<r><DS n=\"1\"/><DS n=\"2\"/><DS n=\"\xF0\x28\x8C\xBC\"/></r>", 2},
        {"overlong UTF-8", "<r><DS n=\"1\"/>\xC0\xAF</r>", 1},
        {"cut mid-element", "<r><DS n=\"1\"/><DS n=\"2\"/><DS n=\"3\"", 2},
        {"cut mid-name", "<r><DS n=\"1\"/><D", 1},
        {"NUL byte", std::string(kWithNul, sizeof kWithNul - 1), 1},
    };
    for (const auto& c : cases) {
        auto reader = SPXML::initWithData(c.xml);
        ASSERT_TRUE(reader) << c.name;
        EXPECT_FALSE(reader->parse()) << c.name;
        auto document = reader->document();
        ASSERT_TRUE(document) << c.name;
        EXPECT_EQ(document->childCount(), c.entriesRead) << c.name;
        EXPECT_EQ(document->childAt(0)->attribute("n"), "1") << c.name;
    }
}

TEST(SPXMLRobustness, EmptyInputGivesNoDocument) {
    for (const std::string& xml :
         {std::string(), std::string("\n \t"), std::string("\xEF\xBB\xBF")}) {
        auto reader = SPXML::initWithData(xml);
        ASSERT_TRUE(reader);
        EXPECT_EQ(reader->document(), nullptr);
        EXPECT_FALSE(reader->parse());
        EXPECT_EQ(reader->document(), nullptr);
    }
}
