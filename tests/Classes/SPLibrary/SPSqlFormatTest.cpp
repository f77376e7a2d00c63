#include "Classes/SPLibrary/SPSqlFormat.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>

namespace {

template <class... A>
std::optional<std::string> format(std::string_view text, const A&... arguments) {
    const std::array<SPSqlFormat::Argument, sizeof...(A)> captured{
        SPSqlFormat::argument(arguments)...};
    return SPSqlFormat::format(text, captured);
}

struct FormatCase {
    const char* name;
    std::function<std::optional<std::string>()> run;
    std::optional<std::string> expected;
};

TEST(SPSqlFormatTest, DirectivesPrintAsPrintfWouldForMatchingArguments) {
    const std::string owned = "name";
    const FormatCase cases[] = {
        {"no directives", [] { return format("SELECT 1"); }, "SELECT 1"},
        {"percent", [] { return format("100%% LIKE '%%a'"); }, "100% LIKE '%a'"},
        {"object text", [&] { return format("SELECT * FROM `%@`", owned); },
         "SELECT * FROM `name`"},
        {"statement as object", [] { return format("%@;", SPSqlStatement("SELECT 2")); },
         "SELECT 2;"},
        {"C string", [] { return format("'%s'", "x%dy"); }, "'x%dy'"},
        {"string precision and width", [] { return format("[%-5.2s]", "abc"); }, "[ab   ]"},
        {"signed", [] { return format("%d %i", -42, 7); }, "-42 7"},
        {"%d reads unsigned as int", [] { return format("%d", 4294967295u); }, "-1"},
        {"%u reads -1 as unsigned", [] { return format("%u", -1); }, "4294967295"},
        {"%lld of 64 bits", [] { return format("%lld", std::numeric_limits<long long>::min()); },
         "-9223372036854775808"},
        {"%llu", [] { return format("%llu", std::numeric_limits<std::uint64_t>::max()); },
         "18446744073709551615"},
        {"%hhd wraps", [] { return format("%hhd", 255); }, "-1"},
        {"hex and octal", [] { return format("%x %X %#x %o %#o", 255, 255, 255, 8, 8); },
         "ff FF 0xff 10 010"},
        {"width, zero and sign flags",
         [] { return format("[%5d|%-5d|%05d|%+d|% d]", 42, 42, -42, 3, 3); },
         "[   42|42   |-0042|+3| 3]"},
        {"integer precision", [] { return format("%.3d|%.0d|", 7, 0); }, "007||"},
        {"char", [] { return format("%c%c", 'o', 107); }, "ok"},
        {"bool", [] { return format("%d", true); }, "1"},
        {"fixed", [] { return format("%f %.2f %8.3f", 1.5, 2.345, -3.0); },
         "1.500000 2.35   -3.000"},
        {"scientific and general", [] { return format("%e %G %g", 12345.678, 0.0001, 1e20); },
         "1.234568e+04 0.0001 1e+20"},
        {"hex float", [] { return format("%a %A", 3.0, -0.5); }, "0x1.8p+1 -0X1P-1"},
        {"long double", [] { return format("%Lf", 0.25L); }, "0.250000"},
        {"float", [] { return format("%.1f", 0.5f); }, "0.5"},
        {"infinity", [] { return format("%f %F %05f", HUGE_VAL, -HUGE_VAL, HUGE_VAL); },
         "inf -INF   inf"},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(testCase.run(), testCase.expected) << testCase.name;
    }
    // A fixed rendering longer than any first guess of its size.
    EXPECT_EQ(format("%.0f", 1e300).value_or("").size(), 301u);
    EXPECT_EQ(format("%.400f", 1.0).value_or("").size(), 402u);
}

TEST(SPSqlFormatTest, MismatchesGiveNoText) {
    const char* nullText = nullptr;
    const FormatCase cases[] = {
        {"too few arguments", [] { return format("%d %d", 1); }, std::nullopt},
        {"too many arguments", [] { return format("%d", 1, 2); }, std::nullopt},
        {"text for an integer", [] { return format("%d", "1"); }, std::nullopt},
        {"integer for a text", [] { return format("%@", 1); }, std::nullopt},
        {"float for an integer", [] { return format("%d", 1.0); }, std::nullopt},
        {"integer for a float", [] { return format("%f", 1); }, std::nullopt},
        {"null C string", [&] { return format("%s", nullText); }, std::nullopt},
        {"%n never writes", [] { return format("%n", 1); }, std::nullopt},
        {"%p", [] { return format("%p", 1); }, std::nullopt},
        {"star width", [] { return format("%*d", 3, 1); }, std::nullopt},
        {"positional", [] { return format("%1$d", 1); }, std::nullopt},
        {"lone percent at the end", [] { return format("50%"); }, std::nullopt},
        {"length on a text", [] { return format("%ls", "a"); }, std::nullopt},
        {"integer length on a float", [] { return format("%hf", 1.0); }, std::nullopt},
        {"huge width", [] { return format("%99999d", 1); }, std::nullopt},
        {"huge precision", [] { return format("%.99999f", 1.0); }, std::nullopt},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(testCase.run(), testCase.expected) << testCase.name;
    }
}

}  // namespace
