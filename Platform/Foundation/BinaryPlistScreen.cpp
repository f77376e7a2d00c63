#include "BinaryPlistScreen.h"

#include "BinaryPlistTrailer.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace platform {
namespace {

// Object markers: the high nibble is the type, the low one a length, where 0xF
// means an integer object follows holding the real length.
constexpr unsigned kAsciiString = 0x5;
constexpr unsigned kUtf16String = 0x6;
constexpr unsigned kInteger = 0x1;
constexpr unsigned kLengthFollows = 0xF;

std::uint8_t byteAt(std::string_view bytes, std::size_t index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

// Writers only use these widths; libplist reads other widths differently from
// a plain big-endian number, so they are refused rather than guessed at.
bool isKnownWidth(std::uint64_t width) {
    return width == 1 || width == 2 || width == 4 || width == 8;
}

struct TextSpan {
    std::size_t start = 0;
    std::size_t length = 0;  // in bytes
    std::size_t unitWidth = 1;
};

// Where a string object's characters lie; none when they do not fit before `end`.
std::optional<TextSpan> textSpanAt(std::string_view bytes, std::size_t marker, std::size_t end) {
    const std::uint8_t type = byteAt(bytes, marker) >> 4;
    std::uint64_t count = byteAt(bytes, marker) & 0x0F;
    std::size_t start = marker + 1;
    if (count == kLengthFollows) {
        if (start >= end || (byteAt(bytes, start) >> 4) != kInteger) return std::nullopt;
        const std::uint64_t width = std::uint64_t{1} << (byteAt(bytes, start) & 0x0F);
        if (!isKnownWidth(width)) return std::nullopt;
        const auto length = readBigEndian(bytes, start + 1, width, end);
        if (!length) return std::nullopt;
        count = *length;
        start += 1 + width;
    }
    const std::size_t unitWidth = type == kUtf16String ? 2 : 1;
    if (start > end || count > (end - start) / unitWidth) return std::nullopt;
    return TextSpan{start, static_cast<std::size_t>(count) * unitWidth, unitWidth};
}

bool holdsNul(std::string_view bytes, const TextSpan& span) {
    for (std::size_t i = span.start; i < span.start + span.length; i += span.unitWidth) {
        bool allZero = true;
        for (std::size_t k = 0; k < span.unitWidth; ++k) allZero = allZero && bytes[i + k] == '\0';
        if (allZero) return true;
    }
    return false;
}

}  // namespace

bool binaryPlistTextsAreSafe(std::string_view document) {
    const auto trailer = BinaryPlistTrailer::read(document);
    if (!trailer || !isKnownWidth(trailer->offsetWidth) || !isKnownWidth(trailer->referenceWidth)) {
        return false;
    }
    const auto tableStart = static_cast<std::size_t>(trailer->tableStart);
    for (std::uint64_t index = 0; index < trailer->objectCount; ++index) {
        const auto offset = trailer->objectOffset(document, index);
        if (!offset) return false;
        const auto marker = static_cast<std::size_t>(*offset);
        const unsigned type = static_cast<std::uint8_t>(document[marker]) >> 4;
        if (type != kAsciiString && type != kUtf16String) continue;
        const auto span = textSpanAt(document, marker, tableStart);
        if (!span || holdsNul(document, *span)) return false;
    }
    return true;
}

}  // namespace platform
