#pragma once

#include "Platform/Graphics/Color.h"
#include "Platform/Graphics/Geometry.h"

#include <optional>
#include <string_view>

namespace platform::layoutvalues {

// Attribute value formats of layout files. Each answers none for text that is
// not exactly of its format; blanks around numbers are allowed.

// "#rgb", "#rrggbb" or "#rrggbbaa" (hex digits, either case).
std::optional<Color> parseColor(std::string_view text);
// A finite decimal number.
std::optional<double> parseNumber(std::string_view text);
// A decimal integer without sign or fraction.
std::optional<int> parseCount(std::string_view text);
// "true" or "false".
std::optional<bool> parseBool(std::string_view text);
// "x,y,width,height"; width and height not negative.
std::optional<Rect> parseRect(std::string_view text);
// "width,height", neither negative.
std::optional<Size> parseSize(std::string_view text);

}  // namespace platform::layoutvalues
