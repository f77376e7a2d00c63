#include "Platform/Foundation/PropertyList.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace {

using platform::PlistArray;
using platform::PlistData;
using platform::PlistDate;
using platform::PlistDictionary;
using platform::PlistFormat;
using platform::PlistValue;
using platform::PropertyList;

const std::vector<PlistFormat> kFormats = {PlistFormat::XML, PlistFormat::Binary};

const char* nameOf(PlistFormat format) {
    return format == PlistFormat::XML ? "XML" : "binary";
}

// A binary document whose objects are given as their encoded bytes; object 0
// is the top. One-byte references, four-byte offsets.
std::string binaryDocument(const std::vector<std::string>& objects) {
    std::string bytes = "bplist00";
    std::vector<std::uint32_t> offsets;
    for (const auto& object : objects) {
        offsets.push_back(static_cast<std::uint32_t>(bytes.size()));
        bytes += object;
    }
    auto appendBigEndian = [&bytes](std::uint64_t value, int size) {
        for (int shift = 8 * (size - 1); shift >= 0; shift -= 8) {
            bytes += static_cast<char>((value >> shift) & 0xFF);
        }
    };
    const std::uint64_t table = bytes.size();
    for (auto offset : offsets) appendBigEndian(offset, 4);
    bytes.append(6, '\0');
    bytes += static_cast<char>(4);  // offset size
    bytes += static_cast<char>(4);  // reference size
    appendBigEndian(objects.size(), 8);
    appendBigEndian(0, 8);
    appendBigEndian(table, 8);
    return bytes;
}

// An array of one: a reference to `child`.
std::string arrayOf(std::uint32_t child) {
    return std::string("\xA1") + static_cast<char>(child >> 24) +
           static_cast<char>((child >> 16) & 0xFF) + static_cast<char>((child >> 8) & 0xFF) +
           static_cast<char>(child & 0xFF);
}

// Arrays nested `depth` deep, the innermost empty.
std::string binaryNesting(std::uint32_t depth) {
    std::vector<std::string> objects;
    for (std::uint32_t i = 0; i < depth; ++i) objects.push_back(arrayOf(i + 1));
    objects.emplace_back("\xA0");
    return binaryDocument(objects);
}

std::string xmlNesting(std::size_t depth, std::string_view open, std::string_view close) {
    std::string text = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    for (std::size_t i = 0; i < depth; ++i) text += open;
    for (std::size_t i = 0; i < depth; ++i) text += close;
    return text + "</plist>";
}

// Object i is an array holding object i + 1 twice; the last is true.
std::string sharedTwice(std::uint32_t levels) {
    std::vector<std::string> objects;
    for (std::uint32_t i = 0; i < levels; ++i) {
        const std::string reference = arrayOf(i + 1).substr(1);
        objects.push_back("\xA2" + reference + reference);
    }
    objects.emplace_back("\x09");
    return binaryDocument(objects);
}

PlistValue nestedArrays(std::size_t depth) {
    PlistValue value{PlistArray{}};
    for (std::size_t i = 0; i < depth; ++i) value = PlistValue(PlistArray{value});
    return value;
}

TEST(PropertyList, EveryValueTypeRoundTripsInBothFormats) {
    const std::vector<PlistValue> values = {
        PlistValue("plain text"),
        PlistValue(""),
        PlistValue("caf\xC3\xA9 <&> \"quotes\" \xE2\x9C\x93"),
        PlistValue(0),
        PlistValue(42),
        PlistValue(-1),
        PlistValue(-123456789012345),
        PlistValue(std::numeric_limits<std::int64_t>::min()),
        PlistValue(std::numeric_limits<std::int64_t>::max()),
        PlistValue(0.1),
        PlistValue(-2.5e-300),
        PlistValue(true),
        PlistValue(false),
        PlistValue(PlistDate{0.0}),
        PlistValue(PlistDate{-86400.0}),
        PlistValue(PlistDate{812345678.0}),
        PlistValue(PlistData{}),
        PlistValue(PlistData{0x00, 0xFF, 0x10, 0x80}),
        PlistValue(PlistArray{}),
        PlistValue(PlistArray{PlistValue(1), PlistValue("two"), PlistValue(PlistArray{})}),
        PlistValue(PlistDictionary{}),
        PlistValue(PlistDictionary{
            {"vibrate", PlistValue(true)},
            {"007", PlistValue(false)},
            {"7", PlistValue(-7)},
            {"nested", PlistValue(PlistDictionary{
                           {"list", PlistValue(PlistArray{PlistValue(PlistData{1, 2, 3})})}})},
        }),
    };
    for (auto format : kFormats) {
        for (const auto& value : values) {
            std::string bytes = PropertyList::toBytes(value, format);
            auto back = PropertyList::fromBytes(bytes);
            ASSERT_TRUE(back.has_value()) << nameOf(format) << "\n" << bytes;
            EXPECT_EQ(*back, value) << nameOf(format) << "\n" << bytes;
        }
    }
}

TEST(PropertyList, NegativeIntegersAreWrittenAsSignedNumbers) {
    std::string xml = PropertyList::toBytes(PlistValue(-5), PlistFormat::XML);
    EXPECT_NE(xml.find("<integer>-5</integer>"), std::string::npos) << xml;
}

TEST(PropertyList, BinaryDatesKeepFractionsOfASecond) {
    for (double seconds : {0.5, -0.75, -3.25, 1234.125}) {
        PlistValue date(PlistDate{seconds});
        auto back = PropertyList::fromBytes(PropertyList::toBytes(date, PlistFormat::Binary));
        ASSERT_TRUE(back.has_value());
        ASSERT_TRUE(back->is<PlistDate>());
        EXPECT_DOUBLE_EQ(back->get<PlistDate>()->secondsSince2001, seconds);
    }
}

TEST(PropertyList, DatesDoNotDriftOverRepeatedSaves) {
    // libplist truncates fractions to microseconds on reading; a value one
    // microsecond below a whole second must survive any number of saves.
    for (double seconds : {297128767.999999, 0.999999, -0.999999, -12.000001, 5.000001}) {
        for (PlistFormat format : {PlistFormat::Binary, PlistFormat::XML}) {
            PlistValue value(PlistDate{seconds});
            auto first = PropertyList::fromBytes(PropertyList::toBytes(value, format));
            ASSERT_TRUE(first.has_value());
            PlistValue current = *first;
            for (int save = 0; save < 5; ++save) {
                auto again = PropertyList::fromBytes(PropertyList::toBytes(current, format));
                ASSERT_TRUE(again.has_value());
                EXPECT_EQ(*again, current) << seconds << " drifted on save " << save;
                current = *again;
            }
            if (format == PlistFormat::Binary) {
                EXPECT_NEAR(current.get<PlistDate>()->secondsSince2001, seconds, 1e-6);
            }
        }
    }
}

TEST(PropertyList, ReadsBinaryDocumentsWrittenElsewhere) {
    // bplist00: {"a": true}, written out by hand: three objects, a one-byte
    // offset table at 14 and the 32-byte trailer.
    const unsigned char document[] = {
        'b',  'p',  'l',  'i', 's', 't', '0',  '0',   // header
        0xD1, 0x01, 0x02,                             // dict of one: key #1, value #2
        0x51, 'a',                                    // ASCII string "a"
        0x09,                                         // true
        0x08, 0x0B, 0x0D,                             // offsets of objects 0..2
        0,    0,    0,    0,   0,   0,   0x01, 0x01,  // offset and reference sizes
        0,    0,    0,    0,   0,   0,   0,    0x03,  // three objects
        0,    0,    0,    0,   0,   0,   0,    0x00,  // top object 0
        0,    0,    0,    0,   0,   0,   0,    0x0E,  // offset table at 14
    };
    std::string bytes(reinterpret_cast<const char*>(document), sizeof document);
    auto value = PropertyList::fromBytes(bytes);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(*value, PlistValue(PlistDictionary{{"a", PlistValue(true)}}));
    EXPECT_TRUE(PropertyList::toBytes(*value, PlistFormat::Binary).starts_with("bplist00"));
}

TEST(PropertyList, IntegersBeyondTheSignedRangeBecomeReals) {
    const std::string xml =
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><integer>18446744073709551615</integer>"
        "</plist>";
    auto value = PropertyList::fromBytes(xml);
    ASSERT_TRUE(value.has_value());
    ASSERT_TRUE(value->is<double>());
    EXPECT_DOUBLE_EQ(*value->get<double>(), 18446744073709551615.0);
}

TEST(PropertyList, MalformedDocumentsGiveNone) {
    const std::vector<std::string> cases = {
        "",
        "garbage",
        "{}",
        "bplist00",
        "bplist00\xD1\x01\x02",
        "<?xml version=\"1.0\"?><plist><dict><key>a</key><true/>",
        "<plist><string>unterminated</plist>",
        "<plist><unknown/></plist>",
        std::string("\0\0\0\0", 4),
    };
    for (const auto& bytes : cases) {
        EXPECT_FALSE(PropertyList::fromBytes(bytes).has_value()) << bytes;
    }
}

TEST(PropertyList, DocumentsTooDeepOrAmplifyingGiveNoneInsteadOfExhaustingStackOrMemory) {
    constexpr std::size_t kDeep = 1'000'000;
    const struct {
        const char* name;
        std::string bytes;
    } tooDeep[] = {
        {"binary arrays", binaryNesting(kDeep)},
        {"binary array inside itself", binaryDocument({arrayOf(1), arrayOf(0)})},
        {"XML arrays", xmlNesting(kDeep, "<array>", "</array>")},
        {"XML dictionaries", xmlNesting(kDeep, "<dict><key>k</key>", "</dict>")},
        {"XML never closed", xmlNesting(kDeep, "<array>", "")},
        {"XML closes in comments", xmlNesting(kDeep, "<array><!--</array>-->", "</array>")},
        // A few hundred bytes that libplist would copy into 2^40 nodes.
        {"binary shared objects", sharedTwice(40)},
    };
    for (const auto& testCase : tooDeep) {
        EXPECT_FALSE(PropertyList::fromBytes(testCase.bytes).has_value()) << testCase.name;
    }

    // Ordinary nesting still reads, as do objects shared by several containers.
    const PlistValue fifty = nestedArrays(50);
    EXPECT_EQ(PropertyList::fromBytes(binaryNesting(50)), fifty);
    EXPECT_EQ(PropertyList::fromBytes(xmlNesting(50, "<array>", "</array>")), nestedArrays(49));
    for (auto format : kFormats) {
        EXPECT_EQ(PropertyList::fromBytes(PropertyList::toBytes(fifty, format)), fifty)
            << nameOf(format);
    }
    const PlistValue pair{PlistArray{PlistValue(true), PlistValue(true)}};
    EXPECT_EQ(PropertyList::fromBytes(sharedTwice(2)), PlistValue(PlistArray{pair, pair}));
    EXPECT_TRUE(PropertyList::fromBytes(sharedTwice(12)).has_value());
}

TEST(PropertyList, FilesRoundTripAndMissingOrDamagedFilesGiveNone) {
    auto folder = sbtest::tempDir();
    PlistValue document(PlistDictionary{{"key", PlistValue("value")}, {"n", PlistValue(-3)}});
    for (auto format : kFormats) {
        auto path = folder / (std::string("doc-") + nameOf(format) + ".plist");
        ASSERT_TRUE(PropertyList::writeFile(path, document, format));
        EXPECT_EQ(PropertyList::readFile(path), document);
        EXPECT_EQ(PropertyList::readDictionaryFile(path),
                  std::optional<PlistDictionary>(*document.get<PlistDictionary>()));
    }

    sbtest::writeFile(folder / "damaged.plist", "<plist><dict><key>a");
    auto arrayFile = folder / "array.plist";
    ASSERT_TRUE(PropertyList::writeFile(arrayFile, PlistValue(PlistArray{PlistValue(1)})));
    EXPECT_FALSE(PropertyList::readFile(folder / "missing.plist").has_value());
    EXPECT_FALSE(PropertyList::readFile(folder / "damaged.plist").has_value());
    EXPECT_FALSE(PropertyList::readFile(folder).has_value());
    EXPECT_TRUE(PropertyList::readFile(arrayFile).has_value());
    EXPECT_FALSE(PropertyList::readDictionaryFile(arrayFile).has_value());
    EXPECT_FALSE(PropertyList::writeFile(folder / "no-such-folder" / "x.plist", document));
}

}  // namespace
