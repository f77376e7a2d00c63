#pragma once

#include <string>
#include <string_view>

// Text from file names and catalogues made safe to print on a terminal: a
// name such as "\e]0;PWNED\a.aiff" must not retitle the terminal, move the
// cursor or fake a line of the report. C0 and C1 control characters, DEL and
// bytes that are not UTF-8 are written as C-style escapes ("\e", "\x7f",
// "\u009b"), and a backslash as "\\", so what is printed tells the name
// exactly. Everything else, tabs and all of Unicode included, stays.
struct TerminalText {
    static std::string escaped(std::string_view text);
};
