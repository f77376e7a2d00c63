#include "CatalogueWriter.h"

#include "Platform/Foundation/Utf8Check.h"

bool CatalogueWriter::canHold(std::string_view text) {
    if (!platform::isWellFormedUtf8(text)) return false;
    // U+FFFE and U+FFFF are not characters to XML either.
    if (text.find("\xEF\xBF\xBE") != std::string_view::npos ||
        text.find("\xEF\xBF\xBF") != std::string_view::npos) {
        return false;
    }
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') return false;
    }
    return true;
}

std::string CatalogueWriter::escapedAttribute(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&apos;";
                break;
            case '\t':
                escaped += "&#9;";
                break;
            case '\n':
                escaped += "&#10;";
                break;
            case '\r':
                escaped += "&#13;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string CatalogueWriter::catalogueText(const std::vector<CatalogueCategory>& categories) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Sounds>\n";
    for (const auto& category : categories) {
        text += "    <DT title=\"" + escapedAttribute(category.title) + "\">\n";
        for (const auto& sound : category.sounds) {
            text += "        <DS audio_no=\"" + escapedAttribute(sound.audioNumber) +
                    "\" label=\"" + escapedAttribute(sound.label) + "\" />\n";
        }
        text += "    </DT>\n";
    }
    text += "</Sounds>\n";
    return text;
}
