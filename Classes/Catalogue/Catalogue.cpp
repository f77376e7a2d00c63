#include "Classes/Catalogue/Catalogue.h"

#include "Classes/Boards/BoardLimits.h"
#include "Classes/SPLibrary/SPXML.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/FileContents.h"
#include "Platform/Foundation/Log.h"

#include <limits>

namespace {

// The whole file, or nothing when it cannot be read or is over the limit.
std::string readCatalogueFile(const std::string& path) {
    auto contents = platform::readFileContents(path, BoardLimits::kCatalogueBytes);
    if (contents.tooLarge()) {
        platform::LogOnce("Catalogue " + path + " is " + platform::sizeText(contents.size) +
                          ", over the " + platform::sizeText(BoardLimits::kCatalogueBytes) +
                          " a catalogue may hold; it is not read");
    }
    return contents.bytes.value_or(std::string());
}

int clampedCount(std::size_t count) {
    return count > static_cast<std::size_t>(std::numeric_limits<int>::max())
               ? std::numeric_limits<int>::max()
               : static_cast<int>(count);
}

}  // namespace

std::shared_ptr<SPXMLElement> Catalogue::loadDocument() {
    auto bundle = platform::Bundle::mainBundle();
    if (!bundle) return nullptr;
    auto path = bundle->pathForResource("Data", "XML");
    if (!path) return nullptr;
    return parseDocument(readCatalogueFile(*path));
}

std::shared_ptr<SPXMLElement> Catalogue::parseDocument(std::string bytes) {
    auto reader = SPXML::initWithData(std::move(bytes));
    if (!reader) return nullptr;
    reader->parse();
    return reader->document();
}

bool Catalogue::canBeMarked(std::string_view audioNumber) {
    if (audioNumber != "vibrate") return true;
    auto bundle = platform::Bundle::mainBundle();
    return !bundle || !bundle->applicationBundle();
}

bool Catalogue::isElement(const SPXMLElement& node) {
    auto name = node.name();
    return name.has_value() && !name->empty();
}

std::shared_ptr<SPXMLElement> Catalogue::categoryAt(const std::shared_ptr<SPXMLElement>& root,
                                                    int section) {
    if (!root || section < 0) return nullptr;
    auto category = root->childAt(static_cast<std::size_t>(section));
    if (!category || !isElement(*category)) return nullptr;
    return category;
}

std::shared_ptr<SPXMLElement> Catalogue::soundEntryAt(const std::shared_ptr<SPXMLElement>& root,
                                                      int section, int row) {
    auto category = categoryAt(root, section);
    if (!category || row < 0) return nullptr;
    auto entry = category->childAt(static_cast<std::size_t>(row));
    if (!entry || !isElement(*entry)) return nullptr;
    return entry;
}

int Catalogue::categoryCount(const std::shared_ptr<SPXMLElement>& root) {
    return root ? clampedCount(root->childCount()) : 0;
}

int Catalogue::soundCount(const std::shared_ptr<SPXMLElement>& root, int section) {
    auto category = categoryAt(root, section);
    return category ? clampedCount(category->childCount()) : 0;
}

std::string Catalogue::audioNumber(const SPXMLElement& entry) {
    return entry.attribute(catalogue_names::kAudioNumber).value_or(std::string());
}

std::string Catalogue::label(const SPXMLElement& entry) {
    return entry.attribute(catalogue_names::kLabel).value_or(std::string());
}

std::string Catalogue::title(const SPXMLElement& category) {
    return category.attribute(catalogue_names::kTitle).value_or(std::string());
}

std::vector<Catalogue::ListedSound> Catalogue::everySound(
    const std::shared_ptr<SPXMLElement>& root) {
    std::vector<ListedSound> sounds;
    const int categories = categoryCount(root);
    for (int section = 0; section < categories; ++section) {
        const auto category = categoryAt(root, section);
        if (!category) continue;
        const std::string categoryTitle = title(*category);
        const int rows = soundCount(root, section);
        for (int row = 0; row < rows; ++row) {
            if (auto entry = soundEntryAt(root, section, row)) {
                sounds.push_back({std::move(entry), categoryTitle});
            }
        }
    }
    return sounds;
}

std::vector<CatalogueCategory> Catalogue::categories(const std::shared_ptr<SPXMLElement>& root) {
    std::vector<CatalogueCategory> read;
    if (!root) return read;
    for (const auto& category : root->children()) {
        if (!category || !isElement(*category)) continue;
        CatalogueCategory values{title(*category), {}};
        for (const auto& entry : category->children()) {
            if (entry && isElement(*entry))
                values.sounds.push_back({audioNumber(*entry), label(*entry)});
        }
        read.push_back(std::move(values));
    }
    return read;
}
