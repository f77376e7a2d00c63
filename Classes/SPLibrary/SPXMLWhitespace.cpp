#include "SPXMLWhitespace.h"

#include <cstddef>
#include <cstdint>

namespace {

bool isWhitespace(char32_t c) {
    switch (c) {
        case 0x09:
        case 0x0A:
        case 0x0B:
        case 0x0C:
        case 0x0D:
        case 0x20:
        case 0x85:
        case 0xA0:
        case 0x1680:
        case 0x2028:
        case 0x2029:
        case 0x202F:
        case 0x205F:
        case 0x3000:
            return true;
        default:
            return c >= 0x2000 && c <= 0x200A;
    }
}

// Decodes the UTF-8 sequence at the start of `text`. Answers the code point and
// its length in bytes, or length 0 when the bytes there are not a valid sequence.
struct Decoded {
    char32_t codePoint = 0;
    std::size_t length = 0;
};

Decoded decodeFirst(std::string_view text) {
    if (text.empty()) return {};
    const auto lead = static_cast<std::uint8_t>(text[0]);
    std::size_t length = 0;
    char32_t codePoint = 0;
    if (lead < 0x80) return {lead, 1};
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        return {};
    }
    if (text.size() < length) return {};
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<std::uint8_t>(text[i]);
        if ((next & 0xC0) != 0x80) return {};
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    return {codePoint, length};
}

// The byte length of the last UTF-8 sequence of `text` when it is whitespace, else 0.
std::size_t trailingWhitespaceLength(std::string_view text) {
    // A sequence is at most four bytes: look for its lead byte among the last four.
    for (std::size_t length = 1; length <= 4 && length <= text.size(); ++length) {
        const auto byte = static_cast<std::uint8_t>(text[text.size() - length]);
        if ((byte & 0xC0) == 0x80) continue;
        const Decoded decoded = decodeFirst(text.substr(text.size() - length));
        return decoded.length == length && isWhitespace(decoded.codePoint) ? length : 0;
    }
    return 0;
}

}  // namespace

std::string_view SPXMLTrimWhitespace(std::string_view text) {
    for (;;) {
        const Decoded first = decodeFirst(text);
        if (first.length == 0 || !isWhitespace(first.codePoint)) break;
        text.remove_prefix(first.length);
    }
    while (const std::size_t length = trailingWhitespaceLength(text)) {
        text.remove_suffix(length);
    }
    return text;
}
