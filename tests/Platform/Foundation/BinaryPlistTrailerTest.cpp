#include "Platform/Foundation/BinaryPlistTrailer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using platform::BinaryPlistTrailer;

// "bplist00", the objects, then an offset table of one-byte entries and the trailer.
std::string document(const std::string& objects, const std::vector<std::uint8_t>& offsets,
                     std::uint8_t offsetWidth, std::uint8_t referenceWidth,
                     std::uint64_t objectCount, std::uint64_t topObject, std::uint64_t tableStart) {
    std::string bytes = "bplist00" + objects;
    for (std::uint8_t offset : offsets) bytes.push_back(static_cast<char>(offset));
    std::string trailer(6, '\0');
    trailer.push_back(static_cast<char>(offsetWidth));
    trailer.push_back(static_cast<char>(referenceWidth));
    for (std::uint64_t number : {objectCount, topObject, tableStart}) {
        for (int shift = 56; shift >= 0; shift -= 8) {
            trailer.push_back(static_cast<char>((number >> shift) & 0xFF));
        }
    }
    return bytes + trailer;
}

TEST(BinaryPlistTrailer, ReadsOnlyATrailerThatDescribesATableInsideTheDocument) {
    // Two objects (true, false) at offsets 8 and 9; the table starts at 10.
    const std::string objects = "\x09\x08";
    struct Case {
        const char* name;
        std::string bytes;
        bool readable;
    };
    const std::vector<Case> cases = {
        {"well formed", document(objects, {8, 9}, 1, 1, 2, 0, 10), true},
        {"wrong magic", "bplist01" + document(objects, {8, 9}, 1, 1, 2, 0, 10).substr(8), false},
        {"too short", std::string("bplist00") + std::string(31, '\0'), false},
        {"offset width 0", document(objects, {8, 9}, 0, 1, 2, 0, 10), false},
        {"offset width 9", document(objects, {8, 9}, 9, 1, 2, 0, 10), false},
        {"reference width 0", document(objects, {8, 9}, 1, 0, 2, 0, 10), false},
        {"no objects", document(objects, {8, 9}, 1, 1, 0, 0, 10), false},
        {"top object out of range", document(objects, {8, 9}, 1, 1, 2, 2, 10), false},
        {"table inside the magic", document(objects, {8, 9}, 1, 1, 2, 0, 7), false},
        {"table runs into the trailer", document(objects, {8, 9}, 1, 1, 3, 0, 10), false},
        {"table starts at the trailer", document(objects, {8, 9}, 1, 1, 1, 0, 12), false},
        {"huge object count", document(objects, {8, 9}, 8, 1, UINT64_MAX, 0, 10), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BinaryPlistTrailer::read(c.bytes).has_value(), c.readable) << c.name;
    }
}

TEST(BinaryPlistTrailer, ObjectOffsetsMustPointAtTheObjects) {
    const std::string bytes = document("\x09\x08", {8, 9, 10, 3}, 1, 1, 4, 0, 10);
    const auto trailer = BinaryPlistTrailer::read(bytes);
    ASSERT_TRUE(trailer.has_value());
    EXPECT_EQ(trailer->objectOffset(bytes, 0), 8u);
    EXPECT_EQ(trailer->objectOffset(bytes, 1), 9u);
    EXPECT_EQ(trailer->objectOffset(bytes, 2), std::nullopt) << "points at the table itself";
    EXPECT_EQ(trailer->objectOffset(bytes, 3), std::nullopt) << "points into the magic";
    EXPECT_EQ(trailer->objectOffset(bytes, 4), std::nullopt) << "no such object";
}

}  // namespace
