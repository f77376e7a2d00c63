#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// The one problem that stops a layout from loading. Thrown inside the loader
// and turned into a single log line at its entry points; it never leaves them.
class LayoutError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace platform
