#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Finds the links of an HTML page: every <a> element with an href attribute.
// A forgiving scanner, not a parser: it skips comments, script and style
// contents, accepts quoted and unquoted attribute values in any letter case,
// and ends a link's text at its </a> (or at the end of the page).
namespace HTMLLinkScanner {
struct Link {
    std::string href;  // entity-decoded
    std::string text;  // tags stripped, entities decoded, white space collapsed
};

std::vector<Link> scan(std::string_view html);
// Decodes character references: the five XML ones, &nbsp;, and numeric ones
// (decimal and hex). Unknown or malformed references stay as written;
// numbers that are not Unicode scalar values become U+FFFD.
std::string decodeEntities(std::string_view text);
}  // namespace HTMLLinkScanner

}  // namespace platform
