#include "Utf8Check.h"

#include <cstddef>
#include <cstdint>

namespace platform {
namespace {

struct SequenceShape {
    std::size_t length = 0;  // 0 when the lead byte cannot start a sequence
    std::uint32_t leadBits = 0;
    std::uint32_t smallest = 0;  // anything below is an overlong form
};

SequenceShape shapeOf(std::uint8_t lead) {
    if (lead < 0x80) return {1, lead, 0};
    if (lead >= 0xC2 && lead <= 0xDF) return {2, lead & 0x1Fu, 0x80};
    if (lead >= 0xE0 && lead <= 0xEF) return {3, lead & 0x0Fu, 0x800};
    if (lead >= 0xF0 && lead <= 0xF4) return {4, lead & 0x07u, 0x10000};
    return {};
}

}  // namespace

bool isWellFormedUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const SequenceShape shape = shapeOf(static_cast<std::uint8_t>(text[i]));
        if (shape.length == 0 || text.size() - i < shape.length) return false;
        std::uint32_t code = shape.leadBits;
        for (std::size_t k = 1; k < shape.length; ++k) {
            const auto next = static_cast<std::uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code < shape.smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += shape.length;
    }
    return true;
}

}  // namespace platform
