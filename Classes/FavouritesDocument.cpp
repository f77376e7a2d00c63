#include "Classes/FavouritesDocument.h"

#include "Classes/Catalogue/Catalogue.h"
#include "Classes/Catalogue/CatalogueWriter.h"
#include "Classes/Reference.h"
#include "Classes/SPLibrary/SPXMLEscape.h"

std::string FavouritesDocument::write(const std::shared_ptr<SPXMLElement>& catalogue) {
    return write(catalogue, [](const std::string& audioNumber) {
        return Catalogue::canBeMarked(audioNumber) && Reference::boolForKey(audioNumber);
    });
}

std::string FavouritesDocument::write(const std::shared_ptr<SPXMLElement>& catalogue,
                                      const MarkLookup& isMarked) {
    std::vector<CatalogueCategory> categories;
    if (catalogue) {
        for (const auto& category : catalogue->children()) {
            // A stray text node where a category should be still takes its
            // section, as an empty category, so sections keep their positions.
            CatalogueCategory written;
            if (category && Catalogue::isElement(*category)) {
                written.title = Catalogue::title(*category);
                for (const auto& entry : category->children()) {
                    if (!entry || !Catalogue::isElement(*entry)) continue;
                    std::string audioNumber = Catalogue::audioNumber(*entry);
                    if (!isMarked(audioNumber)) continue;
                    written.sounds.push_back({std::move(audioNumber), Catalogue::label(*entry)});
                }
            }
            categories.push_back(std::move(written));
        }
    }
    return CatalogueWriter::catalogueText(categories, CatalogueWriter::kFavouritesStyle);
}

std::shared_ptr<SPXMLElement> FavouritesDocument::read(std::string document) {
    return Catalogue::parseDocument(std::move(document));
}

std::string FavouritesDocument::escapeAttributeValue(std::string_view value) {
    return SPXMLEscapeAttribute(value, kSPXMLAttributeEscapes);
}
