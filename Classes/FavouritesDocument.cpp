#include "Classes/FavouritesDocument.h"

#include "Classes/Catalogue/Catalogue.h"
#include "Classes/Reference.h"

std::string FavouritesDocument::write(const std::shared_ptr<SPXMLElement>& catalogue) {
    return write(catalogue, [](const std::string& audioNumber) {
        return Catalogue::canBeMarked(audioNumber) && Reference::boolForKey(audioNumber);
    });
}

std::string FavouritesDocument::write(const std::shared_ptr<SPXMLElement>& catalogue,
                                      const MarkLookup& isMarked) {
    std::string document = "<LoveXML>";
    if (catalogue) {
        for (const auto& category : catalogue->children()) {
            // A stray text node where a category should be still takes its
            // section, as an empty category, so sections keep their positions.
            bool isCategory = category && Catalogue::isElement(*category);
            document += "<DT title=\"";
            if (isCategory) {
                document += escapeAttributeValue(category->attribute("title").value_or(""));
            }
            document += "\">";
            if (isCategory) {
                for (const auto& entry : category->children()) {
                    if (!entry || !Catalogue::isElement(*entry)) continue;
                    std::string audioNumber = Catalogue::audioNumber(*entry);
                    if (!isMarked(audioNumber)) continue;
                    document += "<DS audio_no=\"";
                    document += escapeAttributeValue(audioNumber);
                    document += "\" label=\"";
                    document += escapeAttributeValue(Catalogue::label(*entry));
                    document += "\" />";
                }
            }
            document += "</DT>";
        }
    }
    document += "</LoveXML>";
    return document;
}

std::shared_ptr<SPXMLElement> FavouritesDocument::read(std::string document) {
    return Catalogue::parseDocument(std::move(document));
}

std::string FavouritesDocument::escapeAttributeValue(std::string_view value) {
    std::string escaped;
    escaped.reserve(value.size());
    for (char c : value) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '"':
                escaped += "&quot;";
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
                break;
        }
    }
    return escaped;
}
