#include "Platform/Foundation/PropertyList.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

using platform::PlistArray;
using platform::PlistDictionary;
using platform::PlistFormat;
using platform::PlistValue;
using platform::PropertyList;

using namespace std::string_literals;

const std::vector<PlistFormat> kFormats = {PlistFormat::XML, PlistFormat::Binary};

const char* nameOf(PlistFormat format) {
    return format == PlistFormat::XML ? "XML" : "binary";
}

std::string fromHex(std::string_view hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
}

// A dictionary of ten entries, found by fuzzing, one of whose keys is
// "di\0\0ionary". libplist used to abort the process on an assert reading it.
const std::string kKeyWithNulDocument = fromHex(
    "62706c6973743030da0102030405060708090a0b0c11121314191a1b1c50"
    "55617272617953626967546461746154646140655a64690000696f6e6172"
    "7957696e7465676572547265616c56737472696e67537965736d65597074"
    "79206b6579a30d0e0f51611001a110234000000000000000137fffffffff"
    "ffffff440001feff3341b1b52dc0ff0000d1151655696e6e6572d1171856"
    "646565706572517813fffffffffffaffd623400400000000000064006300"
    "61006600e909081d1e24282d343d454a51555f63656769727b80898c9295"
    "9c9ea7b0b90000000000000101000000000000001d000000000000000000"
    "000000000000ba");

TEST(PropertyListHardening, FuzzedBinaryKeyWithNulGivesNone) {
    EXPECT_FALSE(PropertyList::fromBytes(kKeyWithNulDocument).has_value());
    auto path = sbtest::tempDir() / "fuzzed.plist";
    sbtest::writeFile(path, kKeyWithNulDocument);
    EXPECT_FALSE(PropertyList::readFile(path).has_value());
    EXPECT_FALSE(PropertyList::readDictionaryFile(path).has_value());
}

// Lays out a binary document from its objects' encoded bytes, with one-byte
// offsets and references: header, objects, offset table, trailer.
std::string binaryDocument(const std::vector<std::string>& objects) {
    std::string bytes = "bplist00";
    std::string table;
    for (const auto& object : objects) {
        table.push_back(static_cast<char>(bytes.size()));
        bytes += object;
    }
    const std::size_t tableOffset = bytes.size();
    bytes += table;
    bytes += std::string(6, '\0') + "\x01\x01"s;
    for (std::uint64_t field :
         {std::uint64_t{objects.size()}, std::uint64_t{0}, std::uint64_t{tableOffset}}) {
        for (int shift = 56; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<char>(field >> shift));
    }
    return bytes;
}

// Trailer fields, counted back from the end of the document.
constexpr std::size_t kOffsetWidthField = 26;
constexpr std::size_t kObjectCountField = 24;
constexpr std::size_t kTopObjectField = 16;
constexpr std::size_t kTableOffsetField = 8;

std::string withTrailerField(std::string bytes, std::size_t fromEnd, std::uint64_t value,
                             int width = 8) {
    const std::size_t start = bytes.size() - fromEnd;
    for (int i = 0; i < width; ++i) {
        bytes[start + i] = static_cast<char>(value >> (8 * (width - 1 - i)));
    }
    return bytes;
}

const std::string kTrueDictionary = "\xD1\x01\x02";  // dictionary of one: key #1, value #2
const std::string kTrue = "\x09";
const std::string kSixteenKs(16, 'k');

TEST(PropertyListHardening, BinaryTextsHoldingNulOrOutOfBoundsGiveNone) {
    const std::string valid = binaryDocument({kTrueDictionary,
                                              "\x51"
                                              "a",
                                              kTrue});
    const std::size_t tableOffset = valid.size() - 32 - 3;
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"ASCII key with NUL", binaryDocument({kTrueDictionary,
                                               "\x53"
                                               "a\0b"s,
                                               kTrue})},
        {"UTF-16 key with NUL", binaryDocument({kTrueDictionary, "\x62\x00\x61\x00\x00"s, kTrue})},
        {"long ASCII key with NUL",
         binaryDocument({kTrueDictionary, "\x5F\x10\x11" + kSixteenKs + "\0"s, kTrue})},
        {"ASCII value with NUL", binaryDocument({kTrueDictionary,
                                                 "\x51"
                                                 "a",
                                                 "\x52x\0"s})},
        {"UTF-16 value with NUL in an array", binaryDocument({"\xA1\x01", "\x61\x00\x00"s})},
        {"length with a 16-byte integer", binaryDocument({kTrueDictionary,
                                                          "\x5F\x14" + std::string(15, '\0') +
                                                              "\x01"
                                                              "a",
                                                          kTrue})},
        {"string running into the offset table", binaryDocument({kTrueDictionary,
                                                                 "\x5F\x10\xFF"
                                                                 "ab",
                                                                 kTrue})},
        {"UTF-16 length that overflows",
         binaryDocument({kTrueDictionary, "\x6F\x13" + std::string(8, '\xFF'), kTrue})},
        {"offset width 3", withTrailerField(valid, kOffsetWidthField, 3, 1)},
        {"huge object count", withTrailerField(valid, kObjectCountField, 1ull << 62)},
        {"top object past the count", withTrailerField(valid, kTopObjectField, 3)},
        {"offset table inside the trailer",
         withTrailerField(valid, kTableOffsetField, valid.size() - 4)},
        {"offset table inside the header", withTrailerField(valid, kTableOffsetField, 2)},
        {"object offset inside the table",
         [&] {
             std::string bytes = valid;
             bytes[tableOffset + 1] = static_cast<char>(tableOffset);
             return bytes;
         }()},
        {"last byte missing", valid.substr(0, valid.size() - 1)},
    };
    ASSERT_TRUE(PropertyList::fromBytes(valid).has_value());
    for (const auto& [name, bytes] : cases) {
        EXPECT_FALSE(PropertyList::fromBytes(bytes).has_value()) << name;
    }
}

TEST(PropertyListHardening, BinaryTextsWithoutNulStillRead) {
    const std::vector<std::pair<std::string, PlistValue>> cases = {
        {binaryDocument({kTrueDictionary, "\x5F\x10\x10" + kSixteenKs, kTrue}),
         PlistValue(PlistDictionary{{kSixteenKs, PlistValue(true)}})},
        {binaryDocument({kTrueDictionary, "\x61\x00\xE9"s, "\x62\xD8\x3D\xDE\x00"s}),
         PlistValue(PlistDictionary{{"\xC3\xA9", PlistValue("\xF0\x9F\x98\x80")}})},
        {binaryDocument({kTrueDictionary, "\x50", "\x50"}),
         PlistValue(PlistDictionary{{"", PlistValue("")}})},
    };
    for (const auto& [bytes, expected] : cases) {
        auto value = PropertyList::fromBytes(bytes);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(*value, expected);
    }
}

TEST(PropertyListHardening, XmlTextsHoldingNulGiveNone) {
    const std::vector<std::string> texts = {
        "a&#0;b", "a&#x0;b", "a&#X00000;b", "&#000;", "a\0b"s, "<![CDATA[a\0b]]>"s,
    };
    for (const auto& text : texts) {
        for (const std::string element : {"key", "string"}) {
            const std::string inner = "<" + element + ">" + text + "</" + element + ">";
            const std::string xml = element == "key"
                                        ? "<plist><dict>" + inner + "<true/></dict></plist>"
                                        : "<plist><array>" + inner + "</array></plist>";
            EXPECT_FALSE(PropertyList::fromBytes(xml).has_value()) << xml;
        }
    }
    auto value = PropertyList::fromBytes(
        "<plist><dict><key>a&#65;&#x42;</key><string>&#xE9;&#128512;</string></dict></plist>");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(*value, PlistValue(PlistDictionary{{"aAB", PlistValue("\xC3\xA9\xF0\x9F\x98\x80")}}));
}

struct WriteCase {
    const char* name;
    PlistValue value;
    bool xml;     // XML keeps it unchanged
    bool binary;  // the binary form keeps it unchanged
};

const std::vector<WriteCase>& writeCases() {
    static const std::vector<WriteCase> cases = {
        {"well-formed UTF-8",
         PlistValue(PlistDictionary{{"caf\xC3\xA9", PlistValue("\xF0\x9F\x98\x80 \xE2\x9C\x93")}}),
         true, true},
        {"control characters", PlistValue("\x01\x1B[0m\r\n\t"), true, true},
        {"key not UTF-8", PlistValue(PlistDictionary{{"r\xA3\x9El", PlistValue(1)}}), true, false},
        {"value not UTF-8 in an array",
         PlistValue(PlistArray{PlistValue("ok"), PlistValue("\xFF")}), true, false},
        {"overlong NUL", PlistValue("\xC0\x80"), true, false},
        {"surrogate", PlistValue("\xED\xA0\x80"), true, false},
        {"beyond U+10FFFF", PlistValue("\xF4\x90\x80\x80"), true, false},
        {"truncated sequence", PlistValue("\xE2\x9C"), true, false},
        {"NUL in a value", PlistValue("a\0b"s), false, false},
        {"NUL in a nested key",
         PlistValue(
             PlistDictionary{{"outer", PlistValue(PlistDictionary{{"k\0"s, PlistValue(true)}})}}),
         false, false},
    };
    return cases;
}

TEST(PropertyListHardening, WritingRefusesTextItCannotReadBackUnchanged) {
    for (const auto& entry : writeCases()) {
        for (auto format : kFormats) {
            const bool expected = format == PlistFormat::XML ? entry.xml : entry.binary;
            SCOPED_TRACE(std::string(entry.name) + " as " + nameOf(format));
            EXPECT_EQ(PropertyList::canRepresent(entry.value, format), expected);
            const std::string bytes = PropertyList::toBytes(entry.value, format);
            if (!expected) {
                EXPECT_EQ(bytes, "");
                continue;
            }
            auto back = PropertyList::fromBytes(bytes);
            ASSERT_TRUE(back.has_value());
            EXPECT_EQ(*back, entry.value);
            if (const auto* entries = entry.value.get<PlistDictionary>()) {
                EXPECT_EQ(PropertyList::canRepresent(*entries, format), expected);
                EXPECT_EQ(PropertyList::toBytes(*entries, format), bytes);
            }
        }
    }
}

TEST(PropertyListHardening, RefusedWritesLeaveTheFileWhole) {
    const PlistValue previous(PlistDictionary{{"kept", PlistValue("as it was")}});
    auto folder = sbtest::tempDir();
    for (const auto& entry : writeCases()) {
        for (auto format : kFormats) {
            const bool expected = format == PlistFormat::XML ? entry.xml : entry.binary;
            if (expected) continue;
            SCOPED_TRACE(std::string(entry.name) + " as " + nameOf(format));
            auto path = folder / (std::string(nameOf(format)) + ".plist");
            ASSERT_TRUE(PropertyList::writeFile(path, previous, format));
            const std::string before = sbtest::readFile(path);
            EXPECT_FALSE(PropertyList::writeFile(path, entry.value, format));
            EXPECT_EQ(sbtest::readFile(path), before);
            EXPECT_EQ(PropertyList::readFile(path), previous);
            EXPECT_FALSE(PropertyList::writeFile(folder / "new.plist", entry.value, format));
            EXPECT_FALSE(std::filesystem::exists(folder / "new.plist"));
        }
    }
}

TEST(PropertyListHardening, WritingRefusesNestingDeeperThanReadingAccepts) {
    PlistValue deepest(PlistArray{});
    int depth = 0;
    while (PropertyList::canRepresent(PlistValue(PlistArray{deepest}), PlistFormat::XML) &&
           depth < 10000) {
        deepest = PlistValue(PlistArray{deepest});
        ++depth;
    }
    ASSERT_GE(depth, 100);
    ASSERT_LT(depth, 10000);
    const PlistValue tooDeep(PlistArray{deepest});
    for (auto format : kFormats) {
        SCOPED_TRACE(nameOf(format));
        EXPECT_TRUE(PropertyList::canRepresent(deepest, format));
        EXPECT_EQ(PropertyList::fromBytes(PropertyList::toBytes(deepest, format)), deepest);
        EXPECT_FALSE(PropertyList::canRepresent(tooDeep, format));
        EXPECT_EQ(PropertyList::toBytes(tooDeep, format), "");
    }
}

}  // namespace
