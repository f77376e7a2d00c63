#pragma once

#include <string_view>

namespace platform {

// True when `text` is well-formed UTF-8: no stray continuation bytes, truncated
// sequences, overlong forms (such as C0 80 for NUL), UTF-16 surrogates or code
// points past U+10FFFF. Internal to the platform layer.
bool isWellFormedUtf8(std::string_view text);

}  // namespace platform
