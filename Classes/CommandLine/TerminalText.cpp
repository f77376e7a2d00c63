#include "TerminalText.h"

#include <array>

namespace {

std::string hexByte(unsigned char byte) {
    static constexpr std::string_view kDigits = "0123456789abcdef";
    return std::string("\\x") + kDigits[byte >> 4] + kDigits[byte & 0xf];
}

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0.
std::size_t sequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < (i == 1 ? low : 0x80) || byte > (i == 1 ? high : 0xBF)) return 0;
    }
    return length;
}

}  // namespace

std::string TerminalText::escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto byte = static_cast<unsigned char>(text[0]);
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte == '\t' || (byte >= 0x20 && byte < 0x7F)) {
            out += static_cast<char>(byte);
        } else if (byte < 0x20 || byte == 0x7F) {
            static constexpr std::array<const char*, 14> kNamed = {
                nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                "\\a",   "\\b",   "\\t",   "\\n",   "\\v",   "\\f",   "\\r"};
            if (byte == 0x1B) {
                out += "\\e";
            } else if (byte < kNamed.size() && kNamed[byte] != nullptr) {
                out += kNamed[byte];
            } else {
                out += hexByte(byte);
            }
        } else if (const std::size_t length = sequenceLength(text); length == 0) {
            out += hexByte(byte);
        } else if (length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[1]) <= 0x9F) {
            // C1 controls: U+0080 to U+009F, CSI among them.
            out += "\\u00" + hexByte(static_cast<unsigned char>(text[1])).substr(2);
            text.remove_prefix(2);
            continue;
        } else {
            out.append(text.substr(0, length));
            text.remove_prefix(length);
            continue;
        }
        text.remove_prefix(1);
    }
    return out;
}
