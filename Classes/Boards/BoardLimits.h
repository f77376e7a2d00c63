#pragma once

#include <cstdint>

// How much of a board's files is read. Boards come from anyone, so each file
// a board supplies is checked against its limit before it is read, and a
// refusal is one log line (or one line of --check-board).
struct BoardLimits {
    // Data.XML: some 20,000 sounds with long labels; every page that lists
    // them reads it again, so it is kept to what reads in a blink.
    static constexpr std::uintmax_t kCatalogueBytes = std::uintmax_t{2} << 20;
};
