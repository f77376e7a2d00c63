#include "Classes/SPLibrary/SPUtility.h"

#include "Platform/Foundation/Bundle.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

std::string hexOf(const SPUtility::Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (auto byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

const std::regex kUuidForm("[0-9a-f]{8}-[0-9a-f]{4}-8[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}");

}  // namespace

TEST(SPUtilityDigestTest, KnownDigestsInBothForms) {
    struct Case {
        std::string bytes, md5, sha1;
    };
    const Case cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72", "a9993e364706816aba3e25717850c26c9cd0d89d"},
        {"The quick brown fox jumps over the lazy dog", "9e107d9d372bb6826bd81d3542a419d6",
         "2fd4e1c67a2d28fced849ee1bb76e7391b93eb12"},
        {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21",
         "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
    };
    for (const auto& c : cases) {
        const SPUtility::Bytes asBytes(c.bytes.begin(), c.bytes.end());
        EXPECT_EQ(SPUtility::stringWithMD5(c.bytes), c.md5);
        EXPECT_EQ(SPUtility::stringWithMD5(asBytes), c.md5);
        EXPECT_EQ(SPUtility::stringWithSHA1(c.bytes), c.sha1);
        EXPECT_EQ(SPUtility::stringWithSHA1(asBytes), c.sha1);

        const auto md5 = SPUtility::digestByMD5(asBytes);
        const auto sha1 = SPUtility::digestBySHA1(c.bytes);
        EXPECT_EQ(md5.size(), 16u);
        EXPECT_EQ(sha1.size(), 20u);
        EXPECT_EQ(hexOf(md5), c.md5);
        EXPECT_EQ(hexOf(sha1), c.sha1);
        EXPECT_EQ(SPUtility::digestByMD5(c.bytes), md5);
        EXPECT_EQ(SPUtility::digestBySHA1(asBytes), sha1);
    }
}

TEST(SPUtilityDigestTest, EveryByteCountsIncludingNul) {
    const std::string withNul("a\0b", 3);
    EXPECT_NE(SPUtility::stringWithMD5(withNul), SPUtility::stringWithMD5("a"));
    EXPECT_NE(SPUtility::stringWithSHA1(withNul), SPUtility::stringWithSHA1("ab"));
    const SPUtility::Bytes allValues = [] {
        SPUtility::Bytes bytes;
        for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<std::uint8_t>(i));
        return bytes;
    }();
    EXPECT_EQ(SPUtility::stringWithMD5(allValues), "e2c865db4162bed963bfaa9ef6ac18f0");
    EXPECT_EQ(SPUtility::stringWithSHA1(allValues), "4916d6bdb7f78e6803698cab32d1586ea457dfc8");
}

TEST(SPUtilityDigestTest, DeviceIdentifierIsTheKeyedMacOfTheMachineIdAsUuid) {
    struct Case {
        std::string machineId, application, identifier;
    };
    // HMAC-SHA-256 vectors of RFC 4231 (test case 2) and of the empty key and message,
    // cut to 16 bytes with the version and variant bits set.
    const Case cases[] = {
        {"what do ya want for nothing?", "Jefe", "5bdcc146-bf60-854e-aa04-2426089575c7"},
        {" what do ya want for nothing?\n", "Jefe", "5bdcc146-bf60-854e-aa04-2426089575c7"},
        {"", "", "b613679a-0814-89ec-b72f-95d778c35fc5"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SPUtility::deviceIdentifierFor(c.machineId, c.application), c.identifier);
    }
    const auto one = SPUtility::deviceIdentifierFor("0123456789abcdef", "org.example.One");
    const auto two = SPUtility::deviceIdentifierFor("0123456789abcdef", "org.example.Two");
    EXPECT_TRUE(std::regex_match(one, kUuidForm)) << one;
    EXPECT_TRUE(std::regex_match(two, kUuidForm)) << two;
    EXPECT_NE(one, two);
}

TEST(SPUtilityDigestTest, DeviceIdentifierIsStablePerApplicationAndHidesTheMachineId) {
    const auto bundle = sbtest::tempDir() / "bundle";
    sbtest::writeFile(bundle / "Info.plist", R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict>
<key>CFBundleIdentifier</key><string>org.example.Other</string>
</dict></plist>
)");
    const auto identifier = SPUtility::deviceIdentifier();
    EXPECT_TRUE(std::regex_match(identifier, kUuidForm)) << identifier;
    EXPECT_EQ(SPUtility::deviceIdentifier(), identifier);

    platform::Bundle::setMainBundlePath(bundle);
    ASSERT_EQ(platform::Bundle::mainBundle()->bundleIdentifier(), "org.example.Other");
    const auto other = SPUtility::deviceIdentifier();
    EXPECT_TRUE(std::regex_match(other, kUuidForm)) << other;
    EXPECT_NE(other, identifier);
    EXPECT_EQ(SPUtility::deviceIdentifier(), other);

    const std::string machineId = sbtest::readFile("/etc/machine-id");
    if (machineId.size() >= 32) {
        EXPECT_EQ(other, SPUtility::deviceIdentifierFor(machineId, "org.example.Other"));
        const auto compact = [](std::string text) {
            std::erase(text, '-');
            return text;
        };
        EXPECT_EQ(compact(other).find(machineId.substr(0, 8)), std::string::npos);
    }
}
