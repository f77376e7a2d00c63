#include "LayoutFile.h"

#include "LayoutError.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Log.h"

namespace platform {

std::string LayoutFile::inQuotes(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

void LayoutFile::logFailure(std::string_view file, std::string_view problem) {
    std::string line = "Layout " + std::string(file) + ": " + std::string(problem);
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    }
    Log(line);
}

std::optional<std::filesystem::path> LayoutFile::find(std::string_view name,
                                                      const std::shared_ptr<Bundle>& bundle) {
    std::string file = std::string(name) + ".layout";
    if (!bundle) {
        logFailure(file, "there is no main bundle");
        return std::nullopt;
    }
    auto path = bundle->pathForResource(name, "layout");
    if (!path) {
        logFailure(file, "not found in the bundle " + bundle->bundlePath().string());
        return std::nullopt;
    }
    return std::filesystem::path(*path);
}

void LayoutFile::checkAttributes(const LayoutElement& element,
                                 std::initializer_list<std::string_view> known) {
    for (const auto& [name, value] : element.attributes) {
        bool isKnown = false;
        for (auto candidate : known) isKnown = isKnown || candidate == name;
        if (!isKnown) {
            throw LayoutError("unknown attribute " + inQuotes(name) + " on " + element.describe());
        }
    }
}

const std::string& LayoutFile::requiredAttribute(const LayoutElement& element,
                                                 std::string_view name) {
    const auto* value = element.attribute(name);
    if (!value || value->empty()) {
        throw LayoutError(element.describe() + " needs the attribute " + inQuotes(name));
    }
    return *value;
}

void LayoutFile::checkRoot(const LayoutElement& root,
                           std::initializer_list<std::string_view> attributes) {
    if (root.name != "layout") {
        throw LayoutError("the root element is <" + root.name + ">, not <layout>");
    }
    checkAttributes(root, attributes);
}

}  // namespace platform
