#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// A page cut down to what a web view lays out. Pages come with boards, from
// anyone, and the cost of laying out rich text grows with its nesting (for
// nested blocks and tables, with the square of it), so before a page is laid
// out it is bounded: elements nested deeper than kMaximumDepth, and tables
// inside more than kMaximumTableDepth tables (text in nested table cells is
// what costs most), lose their tags (their text stays), and the page ends
// after kMaximumElements start tags or kMaximumTextBytes of text. Comments are
// dropped, a lone "<" becomes "&lt;", and a word longer than 32 bytes gets
// invisible break opportunities (U+200B): a long word in a table makes the
// layout measure the table again and again. Everything else is kept as
// written. A forgiving tokenizer, not a parser: any input gives a defined page.
struct HTMLBounds {
    static constexpr std::size_t kMaximumDepth = 24;
    static constexpr std::size_t kMaximumTableDepth = 3;
    static constexpr std::size_t kMaximumElements = 250;
    static constexpr std::size_t kMaximumTextBytes = 4 * 1024;

    struct Page {
        std::string html;
        bool cut = false;  // something was left out
    };
    static Page bound(std::string_view html);
};

}  // namespace platform
