// Loads arbitrary file contents as a preference. Whatever loads must be a dictionary that
// XML can carry unchanged (reading turns away texts holding a NUL). The binary form, which
// the store prefers, carries it exactly when every text is UTF-8; otherwise the store
// writes XML, and what it wrote must read back as the same texts.
#include "Classes/SPLibrary/SPPreference.h"
#include "Platform/Foundation/PropertyList.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "FuzzWorkspace.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

// A private HOME for the run, so the class's own file lookup stays inside it.
fuzzsupport::Workspace& workspace() {
    static fuzzsupport::Workspace instance;
    return instance;
}

bool isUtf8WithoutNul(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        std::uint32_t code = 0;
        if (lead == 0) return false;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xc2 && lead <= 0xdf) {
            length = 2;
            code = lead & 0x1f;
        } else if (lead >= 0xe0 && lead <= 0xef) {
            length = 3;
            code = lead & 0x0f;
        } else if (lead >= 0xf0 && lead <= 0xf4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (text.size() - i < length) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80) return false;
            code = (code << 6) | (next & 0x3f);
        }
        const std::uint32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (code < smallest || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return false;
        i += length;
    }
    return true;
}

bool hasOnlyFaithfulTexts(const platform::PlistValue& value) {
    if (auto* text = value.get<std::string>()) return isUtf8WithoutNul(*text);
    if (auto* array = value.get<platform::PlistArray>()) {
        for (const auto& item : *array) {
            if (!hasOnlyFaithfulTexts(item)) return false;
        }
    }
    if (auto* dictionary = value.get<platform::PlistDictionary>()) {
        for (const auto& [key, item] : *dictionary) {
            if (!isUtf8WithoutNul(key) || !hasOnlyFaithfulTexts(item)) return false;
        }
    }
    return true;
}

// Equality in which a NaN real equals another NaN, as the encodings keep it. Dates are
// kept in whole microseconds within a limited range, so `anyDates` lets dates differ.
bool sameValue(const platform::PlistValue& a, const platform::PlistValue& b, bool anyDates);

bool sameDictionary(const platform::PlistDictionary& a, const platform::PlistDictionary& b,
                    bool anyDates) {
    if (a.size() != b.size()) return false;
    for (auto left = a.begin(), right = b.begin(); left != a.end(); ++left, ++right) {
        if (left->first != right->first || !sameValue(left->second, right->second, anyDates)) {
            return false;
        }
    }
    return true;
}

bool sameValue(const platform::PlistValue& a, const platform::PlistValue& b, bool anyDates) {
    if (anyDates && a.is<platform::PlistDate>()) return b.is<platform::PlistDate>();
    if (auto* left = a.get<double>()) {
        auto* right = b.get<double>();
        return right != nullptr && (*left == *right || (std::isnan(*left) && std::isnan(*right)));
    }
    if (auto* left = a.get<platform::PlistArray>()) {
        auto* right = b.get<platform::PlistArray>();
        if (right == nullptr || left->size() != right->size()) return false;
        for (std::size_t i = 0; i < left->size(); ++i) {
            if (!sameValue((*left)[i], (*right)[i], anyDates)) return false;
        }
        return true;
    }
    if (auto* left = a.get<platform::PlistDictionary>()) {
        auto* right = b.get<platform::PlistDictionary>();
        return right != nullptr && sameDictionary(*left, *right, anyDates);
    }
    return a == b;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    workspace();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = workspace().folder / "input.plist";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    auto preference = SPPreference::initWithContentsOfFile(path.string());
    require(preference != nullptr);
    const platform::PlistValue contents(preference->data());
    require(platform::PropertyList::canRepresent(contents, platform::PlistFormat::XML));
    const bool binaryKeepsIt = hasOnlyFaithfulTexts(contents);
    require(platform::PropertyList::canRepresent(contents, platform::PlistFormat::Binary) ==
            binaryKeepsIt);
    if (!binaryKeepsIt) {
        require(platform::PropertyList::toBytes(contents, platform::PlistFormat::Binary).empty());
        // The store falls back to XML then, which keeps every text as it is.
        require(preference->writeToFile());
        const auto written = platform::PropertyList::readDictionaryFile(path);
        require(written.has_value() &&
                sameDictionary(*written, preference->data(), /*anyDates=*/true));
    }
    // Written and read back, every value but a date is kept exactly; a date is rounded
    // into range (and to whole seconds in XML) once, and a second cycle changes nothing.
    for (auto format : {platform::PlistFormat::Binary, platform::PlistFormat::XML}) {
        if (!platform::PropertyList::canRepresent(contents, format)) continue;
        const auto once =
            platform::PropertyList::fromBytes(platform::PropertyList::toBytes(contents, format));
        require(once.has_value() && sameValue(*once, contents, true));
        const auto twice =
            platform::PropertyList::fromBytes(platform::PropertyList::toBytes(*once, format));
        require(twice.has_value() && sameValue(*twice, *once, false));
    }
    return 0;
}
