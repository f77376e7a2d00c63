#include "Classes/SPLibrary/SPXML.h"
#include "Classes/SPLibrary/SPXMLEscape.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SPXMLEscapeTest, EscapesExactlyTheCharactersItIsGiven) {
    struct Case {
        const char* text;
        std::string_view escaped;
        const char* expected;
    };
    const Case cases[] = {
        {"a & b < c > d", kSPXMLAttributeEscapes, "a &amp; b &lt; c > d"},
        {"a & b < c > d", kSPXMLAllAttributeEscapes, "a &amp; b &lt; c &gt; d"},
        {"say \"it's\"", kSPXMLAttributeEscapes, "say &quot;it's&quot;"},
        {"say \"it's\"", kSPXMLAllAttributeEscapes, "say &quot;it&apos;s&quot;"},
        {"tab\there\nline\r", kSPXMLAttributeEscapes, "tab&#9;here&#10;line&#13;"},
        {"ümlaut & 🎺", kSPXMLAttributeEscapes, "ümlaut &amp; 🎺"},
        {"nothing asked", "", "nothing asked"},
        {"", kSPXMLAllAttributeEscapes, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SPXMLEscapeAttribute(c.text, c.escaped), c.expected) << c.text;
    }
}

TEST(SPXMLEscapeTest, WhatItWritesReadsBackExactly) {
    const std::string value = "A & B <\"quoted\"> 'x'\t\n\r end";
    for (const std::string_view set : {kSPXMLAttributeEscapes, kSPXMLAllAttributeEscapes}) {
        auto reader = SPXML::initWithData("<r v=\"" + SPXMLEscapeAttribute(value, set) + "\"/>");
        ASSERT_TRUE(reader && reader->parse());
        ASSERT_TRUE(reader->document());
        EXPECT_EQ(reader->document()->attribute("v"), value);
    }
}

}  // namespace
