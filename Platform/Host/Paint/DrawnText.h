#pragma once

#include <QString>

#include <string_view>

namespace platform {

// Text as the window draws and reads it out: at most kMaximumCharacters of
// it, cut with an ellipsis. A label from a board may be megabytes long, and
// laying it out whole takes minutes and gigabytes for what no window shows.
struct DrawnText {
    static constexpr qsizetype kMaximumCharacters = 1000;

    static QString of(std::string_view text, qsizetype maximumCharacters = kMaximumCharacters);
};

}  // namespace platform
