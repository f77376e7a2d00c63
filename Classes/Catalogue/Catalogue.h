#pragma once

#include "Classes/Catalogue/CatalogueValues.h"
#include "Classes/SPLibrary/SPXMLElement.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The sound catalogue of the bundle and the way pages address its trees by
// position only: the categories are the document element's children, the sound
// entries a category's children. Element names are never compared.
//
// Every lookup is bounds-checked: a missing tree, a negative or too large index,
// or a text node where an element should be gives no node, so a page asking for
// it shows an empty section or an empty row instead of failing.
class Catalogue {
  public:
    // The document element of resource "Data" of type "XML" in the main bundle;
    // null when the file is missing, unreadable or holds no element.
    static std::shared_ptr<SPXMLElement> loadDocument();
    // The document element of an XML text read with the tree reader; null when
    // the text holds no element. The reader parses at creation and is asked to
    // parse once more, which leaves an equal tree; then it is dropped and the
    // tree lives on by itself.
    static std::shared_ptr<SPXMLElement> parseDocument(std::string bytes);

    // Child `section` of `root` when it is an element; null otherwise.
    static std::shared_ptr<SPXMLElement> categoryAt(const std::shared_ptr<SPXMLElement>& root,
                                                    int section);
    // Child `row` of category `section` when it is an element; null otherwise.
    static std::shared_ptr<SPXMLElement> soundEntryAt(const std::shared_ptr<SPXMLElement>& root,
                                                      int section, int row);
    // Number of children of `root`; 0 without a tree.
    static int categoryCount(const std::shared_ptr<SPXMLElement>& root);
    // Number of children of category `section`; 0 when there is no such category.
    static int soundCount(const std::shared_ptr<SPXMLElement>& root, int section);

    // The entry's `audio_no` exactly as read; empty when absent.
    static std::string audioNumber(const SPXMLElement& entry);
    // The entry's `label` exactly as read; empty when absent.
    static std::string label(const SPXMLElement& entry);
    // The category's `title` exactly as read; empty when absent.
    static std::string title(const SPXMLElement& category);

    // Every sound entry of `root`, category by category in the catalogue's
    // order, with its category's title: the one walk that lists them all.
    struct ListedSound {
        std::shared_ptr<SPXMLElement> entry;
        std::string categoryTitle;
    };
    static std::vector<ListedSound> everySound(const std::shared_ptr<SPXMLElement>& root);
    // The categories and entries as values, elements only.
    static std::vector<CatalogueCategory> categories(const std::shared_ptr<SPXMLElement>& root);
    // Whether the sound with `audioNumber` may carry a favourite mark. Marks
    // share their key space with the vibration flag, so on a board (whose
    // catalogue comes from anyone) an entry numbered "vibrate" gets none; the
    // bundled catalogue is the application's own and keeps its keys.
    static bool canBeMarked(std::string_view audioNumber);
    // A named element, as opposed to a text node (or the synthetic root).
    static bool isElement(const SPXMLElement& node);
};
