#pragma once

#include <compare>

namespace platform {

// A row of a sectioned list: its section and its row within the section.
struct IndexPath {
    int section = 0;
    int row = 0;
    static IndexPath indexPathForRowInSection(int row, int section) { return {section, row}; }
    bool operator==(const IndexPath&) const = default;
    auto operator<=>(const IndexPath&) const = default;
};

}  // namespace platform
