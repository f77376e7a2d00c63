#include "Classes/SPLibrary/SPUtility.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

using platform::Color;

TEST(SPUtilityParsingTest, ValueByExpressionSplitsLeadingNumberFromUnit) {
    struct Case {
        std::string expression, value, unit;
    };
    const Case cases[] = {
        {"12.5px", "12.5", "px"}, {"100", "100", ""},
        {"em", "", "em"},         {"", "", ""},
        {"3.14cm", "3.14", "cm"}, {"1.2.3x", "1.2.3", "x"},
        {"-5px", "", "-5px"},     {"5 px", "5", " px"},
        {"..", "..", ""},         {"7\xC2\xB2", "7", "\xC2\xB2"},
        {"12px3", "12", "px3"},
    };
    for (const auto& c : cases) {
        const auto parts = SPUtility::valueByExpression(c.expression);
        EXPECT_EQ(parts.size(), 2u);
        EXPECT_EQ(parts.at("value"), c.value) << c.expression;
        EXPECT_EQ(parts.at("unit"), c.unit) << c.expression;
    }
}

TEST(SPUtilityParsingTest, ColorByHtmlColorReadsEveryLayout) {
    struct Case {
        std::string text;
        Color color;
    };
    const Case cases[] = {
        {"#fff", {1, 1, 1, 1}},
        {"#000", {0, 0, 0, 1}},
        {"#f00", {1, 0, 0, 1}},
        {"#ffff", {1, 1, 1, 1}},
        {"#f0f8", {1, 0, 1, 8.0f / 15.0f}},
        {"#ff000080", {1, 0, 0, 128.0f / 255.0f}},
        {"#00000000", Color::clearColor()},
        {"#1a2b3c", {26.0f / 255.0f, 43.0f / 255.0f, 60.0f / 255.0f, 1}},
        {"clear", {0, 0, 0, 0}},
        // Upper-case hex digits read as their values.
        {"#FFFFFF", {1, 1, 1, 1}},
        {"#1A2b3C", {26.0f / 255.0f, 43.0f / 255.0f, 60.0f / 255.0f, 1}},
        {"#F0F8", {1, 0, 1, 8.0f / 15.0f}},
    };
    for (const auto& c : cases) {
        const auto color = SPUtility::colorByHtmlColor(c.text);
        ASSERT_TRUE(color.has_value()) << c.text;
        EXPECT_EQ(*color, c.color) << c.text;
    }
}

TEST(SPUtilityParsingTest, ColorByHtmlColorRejectsOtherForms) {
    const std::string rejected[] = {
        "",
        "#",
        "#f",
        "#ff",
        "#fffff",
        "#fffffff",
        "#fffffffff",
        "Clear",
        "CLEAR",
        "clear ",
        " #fff",
        "red",
        "fff",
        "#ggg",
        "#ffg",
        "#12345x",
        "#ff 000",
        "#-10",
        "#+1f",
        "#0x1",
        "#ab\xC3\xA9",
        "#\xC3\xA9\xC3\xA9",
        std::string("#f\0f", 4),
    };
    for (const auto& text : rejected) {
        EXPECT_FALSE(SPUtility::colorByHtmlColor(text).has_value()) << text;
    }
}

TEST(SPUtilityParsingTest, NumberByHexademicalReadsLowerCaseHex) {
    constexpr std::uint32_t kBad = 4294967295u;
    struct Case {
        std::string text;
        std::uint32_t number;
    };
    const Case cases[] = {
        {"ff", 255},
        {"", 0},
        {"0", 0},
        {"a", 10},
        {"deadbeef", 0xdeadbeefu},
        {"00000000000000ff", 255},
        {"123456789", 591751049u},  // only the last eight digits remain
        {"100000000", 0},
        {"fffffffe", 0xfffffffeu},
        {"FF", kBad},
        {"fF", kBad},
        {"0x10", kBad},
        {" 1", kBad},
        {"1 ", kBad},
        {"g", kBad},
        {"-1", kBad},
        {std::string("1\0", 2), kBad},
        // Every byte of a non-ASCII character is a bad character: U+0131 is not the
        // digit 1, although its UTF-16 code unit's low byte is "1".
        {"\xC4\xB1", kBad},
        {"1\xC4\xB1", kBad},
        {"\xEF\xBC\x91", kBad},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SPUtility::numberByHexademical(c.text), c.number) << c.text;
    }
}
