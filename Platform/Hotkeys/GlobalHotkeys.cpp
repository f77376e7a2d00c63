#include "GlobalHotkeys.h"

#include "PortalHotkeys.h"
#include "X11Hotkeys.h"

#include <cstdlib>
#include <string_view>

namespace platform {
namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

std::unique_ptr<GlobalHotkeys> GlobalHotkeys::forDesktop(std::string& problem) {
    const char* session = std::getenv("XDG_SESSION_TYPE");
    if (isSet("WAYLAND_DISPLAY") ||
        (session != nullptr && std::string_view(session) == "wayland")) {
        // Under Wayland, X11 grabs (through XWayland) would not be global: the portal or nothing.
        return PortalHotkeys::connect({}, problem);
    }
    if (!isSet("DISPLAY")) {
        problem = "Global hotkeys need a desktop: no display is open.";
        return nullptr;
    }
    std::string why;
    auto hotkeys = X11Hotkeys::connect(nullptr, why);
    if (!hotkeys) problem = "Global hotkeys are off: " + why + ".";
    return hotkeys;
}

}  // namespace platform
