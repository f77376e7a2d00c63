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
    // Whether the X server named by a DISPLAY value takes connections.
    using XServerProbe = std::function<bool(std::string_view display)>;

    // None when a window can open; otherwise the one line to print. Without a
    // probe every X display set in the environment counts as reachable.
    static std::optional<std::string> problem(const Environment& environment,
                                              const XServerProbe& xServerAnswers = nullptr);
    // The same for the process environment, with a real look at the X server.
    static std::optional<std::string> problem();

    // False only when `display` names a local X server ("[unix]:N[.S]") whose
    // socket takes no connection; remote and unusual names are left to Qt.
    static bool localXServerAnswers(std::string_view display);

    // The line printed when no display is found.
    static const std::string& noDisplayMessage();
    // The line printed when DISPLAY names an X server that does not answer.
    static std::string unreachableDisplayMessage(std::string_view display);
};

}  // namespace platform
