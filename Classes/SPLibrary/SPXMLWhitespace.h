#pragma once

#include <string_view>

// `text` without the whitespace and line breaks at either end: ASCII blanks and
// controls TAB to CR, NEL, and the Unicode space separators and line and
// paragraph separators. `text` is UTF-8; a malformed sequence counts as content.
std::string_view SPXMLTrimWhitespace(std::string_view text);
