#pragma once

#include "LayoutDocument.h"

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class Bundle;

// What page layouts and the main window layout share: finding the file,
// reporting a failure as one log line, and checking elements' attributes.
namespace LayoutFile {
// The file of layout `name` in `bundle`, or none after logging why there is none.
std::optional<std::filesystem::path> find(std::string_view name,
                                          const std::shared_ptr<Bundle>& bundle);
// "Layout <file>: <problem>" as one line, whatever the file name or the
// quoted attribute values hold.
void logFailure(std::string_view file, std::string_view problem);

// Throws LayoutError for an attribute of `element` not in `known`.
void checkAttributes(const LayoutElement& element, std::initializer_list<std::string_view> known);
// Throws unless `root` is a <layout> element with only `attributes`.
void checkRoot(const LayoutElement& root, std::initializer_list<std::string_view> attributes);
// The attribute's value; throws when it is missing or empty.
const std::string& requiredAttribute(const LayoutElement& element, std::string_view name);
std::string inQuotes(std::string_view text);
}  // namespace LayoutFile

}  // namespace platform
