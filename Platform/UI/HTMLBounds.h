#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// A page cut down to what a web view lays out. Pages come with boards, from
// anyone, and the cost of laying out rich text grows with its nesting (for
// nested blocks and tables, with the square of it), so before a page is laid
// out it is bounded: elements nested deeper than kMaximumDepth lose their tags
// (their text stays), and the page ends after kMaximumElements start tags or
// kMaximumTextBytes of text. Comments are dropped; everything else is kept as
// written. A forgiving tokenizer, not a parser: any input gives a defined page.
struct HTMLBounds {
    static constexpr std::size_t kMaximumDepth = 24;
    static constexpr std::size_t kMaximumElements = 1000;
    static constexpr std::size_t kMaximumTextBytes = 16 * 1024;

    struct Page {
        std::string html;
        bool cut = false;  // something was left out
    };
    static Page bound(std::string_view html);
};

}  // namespace platform
