#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Decides, before Qt is touched, whether a window can open at all. Qt aborts
// the process when its platform plugin finds no display; checking the
// environment first lets the program say so in one line and exit cleanly.
class DisplayAvailability {
  public:
    // Reads one environment variable; none when unset.
    using Environment = std::function<std::optional<std::string>(std::string_view name)>;

    // None when a window can open; otherwise the one line to print.
    static std::optional<std::string> problem(const Environment& environment);
    // The same for the process environment.
    static std::optional<std::string> problem();

    // The line printed when no display is found.
    static const std::string& noDisplayMessage();
};

}  // namespace platform
