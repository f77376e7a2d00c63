#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

// libplist builds and frees nested arrays and dictionaries by recursion: a
// document nested a few hundred thousand levels deep overflows the stack while
// the binary form is parsed, and while any parsed tree is freed. These bytes are
// looked at before libplist sees them; true when no array or dictionary in them
// nests deeper than `maxDepth`, and libplist would not build far more nodes than
// the document holds.
//
// Binary documents are walked through their object table, with every offset
// and reference bounds-checked: a table that cannot be walked, that refers to
// an object from inside itself, or whose shared objects would be copied into
// more than a hundred nodes per object (at least 100,000 allowed), answers false. XML documents are
// scanned for opening and closing array and dict tags, skipping comments, CDATA sections and
// processing instructions.
bool propertyListIsSafeToParse(std::string_view bytes, std::size_t maxDepth);

}  // namespace platform
