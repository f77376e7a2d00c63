#pragma once

#include "Classes/Catalogue/CatalogueValues.h"

#include <string>
#include <string_view>
#include <vector>

// Writes the sound catalogue the pages read: a UTF-8 XML text whose document
// element holds one DT element (title) per category and inside it one DS
// element (audio_no, label) per sound, with no character data. A board's
// catalogue is indented under an XML declaration; the favourites document is
// one compact line whose bytes stored files rely on.
class CatalogueWriter {
  public:
    struct Style {
        std::string_view root;
        bool indented;
        // The characters written as references (SPXMLEscapeAttribute).
        std::string_view escaped;
    };
    static const Style kBoardStyle;
    static const Style kFavouritesStyle;

    static std::string catalogueText(const std::vector<CatalogueCategory>& categories,
                                     const Style& style = kBoardStyle);

    // Whether an attribute can carry `text` exactly: well-formed UTF-8 without
    // NUL and without the control characters and the non-characters U+FFFE
    // and U+FFFF that XML 1.0 cannot hold.
    static bool canHold(std::string_view text);
    // `text` as an attribute value between double quotes: markup characters and
    // the white space attribute normalisation would fold become references.
    static std::string escapedAttribute(std::string_view text);
};
