#include "SPXMLEscape.h"

std::string SPXMLEscapeAttribute(std::string_view text, std::string_view escaped) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        if (escaped.find(c) == std::string_view::npos) {
            result += c;
            continue;
        }
        switch (c) {
            case '&':
                result += "&amp;";
                break;
            case '<':
                result += "&lt;";
                break;
            case '>':
                result += "&gt;";
                break;
            case '"':
                result += "&quot;";
                break;
            case '\'':
                result += "&apos;";
                break;
            default:
                result += "&#" + std::to_string(static_cast<unsigned char>(c)) + ";";
        }
    }
    return result;
}
