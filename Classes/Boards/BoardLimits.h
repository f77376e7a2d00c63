#pragma once

#include <cstdint>

// How much of a board's files is read. Boards come from anyone, so each file
// a board supplies is checked against its limit before it is read, and a
// refusal is one log line (or one line of --check-board).
struct BoardLimits {
    // Data.XML: some 40,000 sounds with long labels.
    static constexpr std::uintmax_t kCatalogueBytes = std::uintmax_t{4} << 20;
};
