#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// One element of a layout file: its name, its attributes in document order and
// its child elements. Layouts carry no text; blanks between elements are dropped.
struct LayoutElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<LayoutElement> children;

    const std::string* attribute(std::string_view attributeName) const;
    // "<Label outlet="tlabel">": the element as a reader finds it in the file.
    std::string describe() const;
};

// A layout file read into elements with the platform XML parser.
namespace LayoutDocument {
// Layout files above this size are not read.
inline constexpr std::uintmax_t kMaximumBytes = std::uintmax_t{4} << 20;

// The root element of the file at `path`. Throws LayoutError when the file
// cannot be read, is not a regular file, is larger than kMaximumBytes, is
// not well-formed XML, or holds text outside attributes.
LayoutElement read(const std::filesystem::path& path);
}  // namespace LayoutDocument

}  // namespace platform
