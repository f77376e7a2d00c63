#pragma once

#include <string_view>

namespace platform {

// Checks a binary property list ("bplist00") before libplist parses it. libplist
// aborts the process on an assert when it hands out a dictionary key (and a
// string through its copying getter) that holds a NUL, and it offers no way to
// ask for a key's length first, so such documents have to be turned away here.
//
// True when the trailer, the offset table and every string object it lists lie
// within the document and no string object (ASCII or UTF-16) holds a NUL. The
// rest of the structure is left to libplist. Internal to the platform layer.
bool binaryPlistTextsAreSafe(std::string_view document);

}  // namespace platform
