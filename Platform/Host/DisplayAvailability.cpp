#include "DisplayAvailability.h"

#include <array>
#include <cstdlib>
#include <filesystem>

namespace platform {
namespace {

// Qt platforms that draw without a display server.
constexpr std::array<std::string_view, 6> kDisplaylessPlatforms{
    "offscreen", "minimal", "vnc", "linuxfb", "eglfs", "vkkhrdisplay"};

bool isSet(const DisplayAvailability::Environment& environment, std::string_view name) {
    auto value = environment(name);
    return value && !value->empty();
}

bool hasWaylandSocket(const DisplayAvailability::Environment& environment) {
    if (isSet(environment, "WAYLAND_DISPLAY")) return true;
    auto runtime = environment("XDG_RUNTIME_DIR");
    if (!runtime || runtime->empty()) return false;
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::path(*runtime) / "wayland-0", ignored);
}

// Whether one entry of QT_QPA_PLATFORM ("xcb", "wayland-egl", "vnc:size=800x600")
// can start here.
bool platformCanStart(std::string_view entry, const DisplayAvailability::Environment& environment) {
    const std::string_view name = entry.substr(0, entry.find(':'));
    for (std::string_view displayless : kDisplaylessPlatforms) {
        if (name == displayless) return true;
    }
    if (name == "xcb") return isSet(environment, "DISPLAY");
    if (name.starts_with("wayland")) return hasWaylandSocket(environment);
    // A platform we do not know: let Qt decide, it may well work.
    return !name.empty();
}

}  // namespace

const std::string& DisplayAvailability::noDisplayMessage() {
    static const std::string message =
        "soundboard: no display to open a window on (DISPLAY and WAYLAND_DISPLAY are not set); "
        "run it under a virtual display with \"xvfb-run make run\", or without a window with "
        "\"make run ARGS=--headless\"";
    return message;
}

std::optional<std::string> DisplayAvailability::problem(const Environment& environment) {
    auto requested = environment("QT_QPA_PLATFORM");
    if (!requested || requested->empty()) {
        // Qt's own choice on Linux: xcb, or Wayland in a Wayland session.
        if (isSet(environment, "DISPLAY") || isSet(environment, "WAYLAND_DISPLAY")) {
            return std::nullopt;
        }
        return noDisplayMessage();
    }
    // A ";"-separated list: Qt tries each in turn.
    std::string_view rest = *requested;
    while (true) {
        const auto separator = rest.find(';');
        if (platformCanStart(rest.substr(0, separator), environment)) return std::nullopt;
        if (separator == std::string_view::npos) break;
        rest.remove_prefix(separator + 1);
    }
    return noDisplayMessage();
}

std::optional<std::string> DisplayAvailability::problem() {
    return problem([](std::string_view name) -> std::optional<std::string> {
        const char* value = std::getenv(std::string(name).c_str());
        if (value == nullptr) return std::nullopt;
        return std::string(value);
    });
}

}  // namespace platform
