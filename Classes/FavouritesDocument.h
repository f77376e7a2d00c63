#pragma once

#include "Classes/SPLibrary/SPXMLElement.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

// The favourites document: an XML text made from the catalogue and the
// favourite marks each time the favourites page is shown, read back at once
// with the tree reader and then dropped. It has the catalogue's shape, so both
// trees are listed the same way:
//
//   <LoveXML><DT title="..."><DS audio_no="..." label="..." />...</DT>...</LoveXML>
//
// one DT per catalogue category (also without marked sounds), one DS per marked
// sound entry, in catalogue order, on one line with nothing between pieces.
class FavouritesDocument {
  public:
    // Answers whether the sound with this audio number carries a favourite mark.
    using MarkLookup = std::function<bool(const std::string& audioNumber)>;

    // The document for `catalogue` (its document element; null gives the
    // document element alone), with the marks of the settings store.
    static std::string write(const std::shared_ptr<SPXMLElement>& catalogue);
    static std::string write(const std::shared_ptr<SPXMLElement>& catalogue,
                             const MarkLookup& isMarked);
    // The document read back: its LoveXML element, or null.
    static std::shared_ptr<SPXMLElement> read(std::string document);

    // `value` made safe inside a double-quoted attribute: & < " become entity
    // references and tab, line feed and carriage return character references,
    // since a parser would otherwise fold those into blanks. Everything else is
    // copied byte for byte, so the parse gives back exactly `value`.
    static std::string escapeAttributeValue(std::string_view value);
};
