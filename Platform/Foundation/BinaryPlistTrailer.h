#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

inline constexpr std::string_view kBinaryPlistMagic = "bplist00";

// The big-endian unsigned number of `width` bytes (1 to 8) at `at`; none when it
// would run past `end` or past the bytes.
std::optional<std::uint64_t> readBigEndian(std::string_view bytes, std::uint64_t at,
                                           std::uint64_t width, std::uint64_t end);

// The 32-byte trailer that ends a binary property list ("bplist00"), read and
// checked once for everything that looks into such a document before libplist
// does. Internal to the platform layer.
struct BinaryPlistTrailer {
    static constexpr std::uint64_t kSize = 32;

    std::uint64_t offsetWidth = 0;     // bytes per offset table entry, 1 to 8
    std::uint64_t referenceWidth = 0;  // bytes per object reference, 1 to 8
    std::uint64_t objectCount = 0;     // at least one
    std::uint64_t topObject = 0;       // below objectCount
    std::uint64_t tableStart = 0;      // the offset table; the objects lie between the magic and it

    // None unless `document` starts with the magic and its trailer describes an
    // offset table that lies whole between the magic and the trailer.
    static std::optional<BinaryPlistTrailer> read(std::string_view document);

    // Where object `index` begins; none for an index out of range or an offset
    // that does not point between the magic and the offset table.
    std::optional<std::uint64_t> objectOffset(std::string_view document, std::uint64_t index) const;
};

}  // namespace platform
