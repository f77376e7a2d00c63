#include "Platform/Foundation/PropertyList.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <limits>

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
