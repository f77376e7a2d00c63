#pragma once

#include <string>
#include <string_view>
#include <vector>

// One sound entry and one category as a board's catalogue holds them.
struct CatalogueSound {
    std::string audioNumber;
    std::string label;
};

struct CatalogueCategory {
    std::string title;
    std::vector<CatalogueSound> sounds;
};

// Writes the sound catalogue the pages read: a UTF-8 XML text whose document
// element holds one DT element (title) per category and inside it one DS
// element (audio_no, label) per sound, indented, with no character data.
class CatalogueWriter {
  public:
    static std::string catalogueText(const std::vector<CatalogueCategory>& categories);

    // Whether an attribute can carry `text` exactly: well-formed UTF-8 without
    // NUL and without the control characters and the non-characters U+FFFE
    // and U+FFFF that XML 1.0 cannot hold.
    static bool canHold(std::string_view text);
    // `text` as an attribute value between double quotes: markup characters and
    // the white space attribute normalisation would fold become references.
    static std::string escapedAttribute(std::string_view text);
};
