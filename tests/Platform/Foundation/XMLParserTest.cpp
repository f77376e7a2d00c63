#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/XMLParser.h"

#include "tests/support/TestEnvironment.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using platform::XMLAttributes;
using platform::XMLParseError;
using platform::XMLParser;
using platform::XMLParserDelegate;

// Writes every event down as one line.
class Recorder : public XMLParserDelegate {
  public:
    void parserDidStartDocument(XMLParser&) override { events.push_back("start document"); }
    void parserDidStartElement(XMLParser&, std::string_view name, std::string_view uri,
                               std::string_view qualifiedName,
                               const XMLAttributes& attributes) override {
        std::string line = "start " + std::string(name);
        if (!uri.empty() || !qualifiedName.empty()) {
            line += " {" + std::string(uri) + "} " + std::string(qualifiedName);
        }
        for (const auto attribute : attributes) {
            line += " " + std::string(attribute.name) + "=" + std::string(attribute.value);
        }
        events.push_back(line);
    }
    void parserDidEndElement(XMLParser&, std::string_view name, std::string_view,
                             std::string_view) override {
        events.push_back("end " + std::string(name));
    }
    void parserFoundCharacters(XMLParser&, std::string_view characters) override {
        events.push_back("characters " + std::string(characters));
        text += characters;
    }
    void parserFoundCDATA(XMLParser&, std::string_view characters) override {
        events.push_back("cdata " + std::string(characters));
    }
    void parserParseErrorOccurred(XMLParser&, const XMLParseError& error) override {
        events.push_back("error " + std::to_string(error.code));
        errors.push_back(error);
    }
    void parserDidEndDocument(XMLParser&) override { events.push_back("end document"); }

    std::vector<std::string> events;
    std::string text;
    std::vector<XMLParseError> errors;
};

struct Parsed {
    bool ok;
    std::shared_ptr<XMLParser> parser;
    std::shared_ptr<Recorder> recorder;
};

Parsed parse(std::string xml) {
    Parsed result{false, XMLParser::initWithData(std::move(xml)), std::make_shared<Recorder>()};
    result.parser->setDelegate(result.recorder.get());
    result.ok = result.parser->parse();
    return result;
}

}  // namespace

TEST(XMLParser, ReportsTheSixEventsInDocumentOrder) {
    const auto result = parse(
        "<?xml version=\"1.0\"?>\n<!-- lead -->\n<root a=\"1\" b=\"two\">"
        "<?pi data?>hi<x:child x:y=\"z\"/><![CDATA[<raw>]]>\n</root>\n");
    ASSERT_TRUE(result.ok);
    const std::vector<std::string> expected = {
        "start document", "start root a=1 b=two", "characters hi", "start x:child x:y=z",
        "end x:child",    "cdata <raw>",          "characters \n", "end root",
        "end document"};
    EXPECT_EQ(result.recorder->events, expected);
    EXPECT_FALSE(result.parser->parserError());
}

TEST(XMLParser, DecodesReferencesInAttributesAndText) {
    struct Case {
        std::string escaped;
        std::string decoded;
    };
    const std::vector<Case> cases = {
        {"&amp;", "&"},
        {"&lt;&gt;", "<>"},
        {"&quot;&apos;", "\"'"},
        {"a &amp; b", "a & b"},
        {"&#65;&#x42;", "AB"},
        {"&#xE9;t&#233;", "\xC3\xA9t\xC3\xA9"},
        {"&#x1F600;", "\xF0\x9F\x98\x80"},
        {"plain", "plain"},
    };
    for (const auto& c : cases) {
        const auto result = parse("<e v=\"" + c.escaped + "\">" + c.escaped + "</e>");
        ASSERT_TRUE(result.ok) << c.escaped;
        ASSERT_GE(result.recorder->events.size(), 2u);
        EXPECT_EQ(result.recorder->events[1], "start e v=" + c.decoded) << c.escaped;
        EXPECT_EQ(result.recorder->text, c.decoded) << c.escaped;
    }
}

TEST(XMLParser, StopsAtTheFirstFatalErrorAndReportsIt) {
    struct Case {
        std::string xml;
        XML_Error code;
        long line;
        long column;
        std::size_t eventsBeforeError;  // "start document" included
    };
    const std::vector<Case> cases = {
        {"", XML_ERROR_NO_ELEMENTS, 1, 0, 1},
        {"   \n  ", XML_ERROR_NO_ELEMENTS, 2, 2, 1},
        {"not xml", XML_ERROR_SYNTAX, 1, 0, 1},
        {"<a><b></a>", XML_ERROR_TAG_MISMATCH, 1, 8, 3},
        {"<a>\n<b>text", XML_ERROR_NO_ELEMENTS, 2, 7, 5},
        {"<a x=\"1\" x=\"2\"/>", XML_ERROR_DUPLICATE_ATTRIBUTE, 1, 9, 1},
        {"<a>&undefined;</a>", XML_ERROR_UNDEFINED_ENTITY, 1, 3, 2},
        {"<a>\xFF</a>", XML_ERROR_INVALID_TOKEN, 1, 3, 2},
        {"<a/><b/>", XML_ERROR_JUNK_AFTER_DOC_ELEMENT, 1, 4, 3},
    };
    for (const auto& c : cases) {
        const auto result = parse(c.xml);
        EXPECT_FALSE(result.ok) << c.xml;
        const auto& error = result.parser->parserError();
        ASSERT_TRUE(error) << c.xml;
        EXPECT_EQ(error->code, static_cast<int>(c.code)) << c.xml;
        EXPECT_EQ(error->line, c.line) << c.xml;
        EXPECT_EQ(error->column, c.column) << c.xml;
        EXPECT_EQ(error->message, XML_ErrorString(c.code)) << c.xml;
        ASSERT_EQ(result.recorder->errors.size(), 1u) << c.xml;
        EXPECT_EQ(result.recorder->errors[0].code, error->code);
        const auto& events = result.recorder->events;
        ASSERT_EQ(events.size(), c.eventsBeforeError + 1) << c.xml;
        EXPECT_EQ(events.back(), "error " + std::to_string(c.code)) << "no end document";
    }
}

TEST(XMLParser, EachParseStartsAfreshOverTheSameInput) {
    const auto result = parse("<a>x<b/></a>");
    ASSERT_TRUE(result.ok);
    const auto first = result.recorder->events;
    result.recorder->events.clear();
    EXPECT_TRUE(result.parser->parse());
    EXPECT_EQ(result.recorder->events, first);

    const auto broken = parse("<a>");
    EXPECT_FALSE(broken.ok);
    EXPECT_FALSE(broken.parser->parse());
    EXPECT_EQ(broken.recorder->errors.size(), 2u);
}

TEST(XMLParser, AbortParsingStopsAfterTheCurrentEventWithoutTellingTheDelegate) {
    class Aborter : public Recorder {
      public:
        void parserDidStartElement(XMLParser& parser, std::string_view name, std::string_view uri,
                                   std::string_view qualifiedName,
                                   const XMLAttributes& attributes) override {
            Recorder::parserDidStartElement(parser, name, uri, qualifiedName, attributes);
            if (name == stopAt) parser.abortParsing();
        }
        void parserDidStartDocument(XMLParser& parser) override {
            Recorder::parserDidStartDocument(parser);
            if (stopAt.empty()) parser.abortParsing();
        }
        std::string stopAt;
    };
    for (const std::string stopAt : {"b", ""}) {
        auto parser = XMLParser::initWithData("<a><b></b><c/></a>");
        Aborter aborter;
        aborter.stopAt = stopAt;
        parser->setDelegate(&aborter);
        EXPECT_FALSE(parser->parse());
        ASSERT_TRUE(parser->parserError());
        EXPECT_EQ(parser->parserError()->code, static_cast<int>(XML_ERROR_ABORTED));
        EXPECT_TRUE(aborter.errors.empty());
        const std::vector<std::string> expected =
            stopAt.empty() ? std::vector<std::string>{"start document"}
                           : std::vector<std::string>{"start document", "start a", "start b"};
        EXPECT_EQ(aborter.events, expected);
    }
    auto idle = XMLParser::initWithData("<a/>");
    idle->abortParsing();  // outside a parse: nothing to stop
    EXPECT_TRUE(idle->parse());
}

TEST(XMLParser, AParseStartedFromItsOwnEventIsRefused) {
    class Reentrant : public XMLParserDelegate {
      public:
        void parserDidStartElement(XMLParser& parser, std::string_view, std::string_view,
                                   std::string_view, const XMLAttributes&) override {
            nestedResult = parser.parse();
            ++starts;
        }
        bool nestedResult = true;
        int starts = 0;
    };
    auto parser = XMLParser::initWithData("<a/>");
    Reentrant delegate;
    parser->setDelegate(&delegate);
    EXPECT_TRUE(parser->parse());
    EXPECT_FALSE(delegate.nestedResult);
    EXPECT_EQ(delegate.starts, 1);
}

TEST(XMLParser, NeverReadsExternalEntities) {
    const auto secretFile = sbtest::tempDir() / "secret.txt";
    sbtest::writeFile(secretFile, "TOP-SECRET");
    const auto dtdFile = sbtest::tempDir() / "evil.dtd";
    sbtest::writeFile(dtdFile, "<!ENTITY leak SYSTEM \"file://" + secretFile.string() + "\">");
    const std::vector<std::string> documents = {
        "<!DOCTYPE a [<!ENTITY leak SYSTEM \"file://" + secretFile.string() + "\">]><a>&leak;</a>",
        "<!DOCTYPE a [<!ENTITY leak SYSTEM \"" + secretFile.string() + "\">]><a>&leak;</a>",
        "<!DOCTYPE a SYSTEM \"" + dtdFile.string() + "\"><a>&leak;</a>",
        "<!DOCTYPE a [<!ENTITY % p SYSTEM \"" + dtdFile.string() + "\"> %p;]><a>&leak;</a>",
    };
    for (const auto& xml : documents) {
        const auto result = parse(xml);
        EXPECT_EQ(result.recorder->text.find("SECRET"), std::string::npos) << xml;
        for (const auto& event : result.recorder->events) {
            EXPECT_EQ(event.find("SECRET"), std::string::npos) << xml;
        }
    }
}

TEST(XMLParser, EntityAmplificationFailsFast) {
    std::string xml = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol0 \"lol\">";
    for (int level = 1; level <= 9; ++level) {
        xml += "<!ENTITY lol" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i) xml += "&lol" + std::to_string(level - 1) + ";";
        xml += "\">";
    }
    xml += "]><lolz>&lol9;</lolz>";
    auto parser = XMLParser::initWithData(xml);
    EXPECT_FALSE(parser->parse());
    ASSERT_TRUE(parser->parserError());
    EXPECT_EQ(parser->parserError()->code, static_cast<int>(XML_ERROR_AMPLIFICATION_LIMIT_BREACH));
}

TEST(XMLParser, NamespaceProcessingIsOffUnlessAskedFor) {
    const std::string xml =
        "<p:root xmlns:p=\"urn:p\" xmlns=\"urn:d\"><child p:at=\"1\" plain=\"2\"/></p:root>";
    const auto off = parse(xml);
    ASSERT_TRUE(off.ok);
    EXPECT_EQ(off.recorder->events[1], "start p:root xmlns:p=urn:p xmlns=urn:d");
    EXPECT_EQ(off.recorder->events[2], "start child p:at=1 plain=2");

    auto parser = XMLParser::initWithData(xml);
    Recorder recorder;
    parser->setDelegate(&recorder);
    parser->setShouldProcessNamespaces(true);
    ASSERT_TRUE(parser->parse());
    EXPECT_EQ(recorder.events[1], "start root {urn:p} p:root");
    EXPECT_EQ(recorder.events[2], "start child {urn:d} child p:at=1 plain=2");
}

TEST(XMLParser, ReadsFileURLsAndPathsOnly) {
    const auto file = sbtest::tempDir() / "doc one.xml";
    sbtest::writeFile(file, "<doc/>");
    struct Case {
        std::string url;
        bool readable;
    };
    const std::string fileURL = platform::URL::fileURLWithPath(file.string()).absoluteString();
    const std::string escapedPath = fileURL.substr(std::string("file://").size());
    const std::vector<Case> cases = {
        {fileURL, true},
        {"file://localhost" + escapedPath, true},
        {escapedPath, true},
        {"file://elsewhere" + escapedPath, false},
        {"http://example.com/doc.xml", false},
        {"https://example.com/doc.xml", false},
        {"ftp://example.com/doc.xml", false},
        {platform::URL::fileURLWithPath((sbtest::tempDir() / "missing.xml").string())
             .absoluteString(),
         false},
        {platform::URL::fileURLWithPath(sbtest::tempDir().string()).absoluteString(), false},
    };
    for (const auto& c : cases) {
        const auto url = platform::URL::URLWithString(c.url);
        ASSERT_TRUE(url) << c.url;
        const auto parser = XMLParser::initWithContentsOfURL(*url);
        ASSERT_EQ(parser != nullptr, c.readable) << c.url;
        if (parser) {
            EXPECT_EQ(parser->data(), "<doc/>");
            EXPECT_TRUE(parser->parse());
        }
    }
}

TEST(XMLAttributes, IndexesAndFindsByName) {
    const char* pairs[] = {"a", "1", "b", "", nullptr};
    const XMLAttributes attributes(pairs);
    EXPECT_EQ(attributes.size(), 2u);
    EXPECT_FALSE(attributes.empty());
    EXPECT_EQ(attributes[1].name, "b");
    EXPECT_EQ(attributes[5].name, "") << "out of range reads as empty";
    EXPECT_EQ(attributes.find("a"), "1");
    EXPECT_EQ(attributes.find("b"), "");
    EXPECT_EQ(attributes.find("c"), std::nullopt);
    const XMLAttributes none(nullptr);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(none.size(), 0u);
    EXPECT_FALSE(none.begin() != none.end());
}
