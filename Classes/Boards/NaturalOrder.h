#pragma once

#include <string_view>

// The order people expect of names: runs of digits compare by their value
// ("2 Bell" before "10 Bell"), letters without regard to ASCII case; names
// equal that way fall back to their bytes, so the order is total and stable.
bool naturallyBefore(std::string_view left, std::string_view right);
