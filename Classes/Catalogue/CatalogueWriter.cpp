#include "CatalogueWriter.h"

#include "Classes/SPLibrary/SPXMLEscape.h"

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

const CatalogueWriter::Style CatalogueWriter::kBoardStyle{"Sounds", true,
                                                          kSPXMLAllAttributeEscapes};
const CatalogueWriter::Style CatalogueWriter::kFavouritesStyle{"LoveXML", false,
                                                               kSPXMLAttributeEscapes};

std::string CatalogueWriter::escapedAttribute(std::string_view text) {
    return SPXMLEscapeAttribute(text, kSPXMLAllAttributeEscapes);
}

std::string CatalogueWriter::catalogueText(const std::vector<CatalogueCategory>& categories,
                                           const Style& style) {
    namespace names = catalogue_names;
    const auto escape = [&style](std::string_view text) {
        return SPXMLEscapeAttribute(text, style.escaped);
    };
    const std::string_view newline = style.indented ? "\n" : "";
    const std::string root(style.root);
    std::string text = style.indented ? "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" : "";
    text += "<" + root + ">";
    text += newline;
    for (const auto& category : categories) {
        text += style.indented ? "    <" : "<";
        text += std::string(names::kCategoryElement) + " " + std::string(names::kTitle) + "=\"" +
                escape(category.title) + "\">";
        text += newline;
        for (const auto& sound : category.sounds) {
            text += style.indented ? "        <" : "<";
            text += std::string(names::kSoundElement) + " " + std::string(names::kAudioNumber) +
                    "=\"" + escape(sound.audioNumber) + "\" " + std::string(names::kLabel) + "=\"" +
                    escape(sound.label) + "\" />";
            text += newline;
        }
        text += style.indented ? "    </" : "</";
        text += std::string(names::kCategoryElement) + ">";
        text += newline;
    }
    text += "</" + root + ">";
    text += newline;
    return text;
}
