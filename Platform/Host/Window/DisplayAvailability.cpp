#include "DisplayAvailability.h"

#include "Platform/Foundation/FileDescriptor.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cstddef>
#include <cstdlib>
#include <cstring>
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

// Whether a Unix socket named `name` (in the abstract namespace when `abstract`)
// takes a connection. Anything other than a refusal counts as taking it: the
// probe only spares Qt a display that is certainly not there.
bool socketAnswers(const std::string& name, bool abstract) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (offset + name.size() >= sizeof(address.sun_path)) return true;
    std::memcpy(address.sun_path + offset, name.data(), name.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset +
                                               name.size() + (abstract ? 0 : 1));
    const FileDescriptor probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (probe.get() < 0) return true;
    if (::connect(probe.get(), reinterpret_cast<const sockaddr*>(&address), length) == 0) {
        return true;
    }
    return errno != ECONNREFUSED && errno != ENOENT;
}

// Whether one entry of QT_QPA_PLATFORM ("xcb", "wayland-egl", "vnc:size=800x600")
// can start here; `xReachable` tells whether DISPLAY's server answers.
bool platformCanStart(std::string_view entry, const DisplayAvailability::Environment& environment,
                      bool xReachable) {
    const std::string_view name = entry.substr(0, entry.find(':'));
    for (std::string_view displayless : kDisplaylessPlatforms) {
        if (name == displayless) return true;
    }
    if (name == "xcb") return isSet(environment, "DISPLAY") && xReachable;
    if (name.starts_with("wayland")) return hasWaylandSocket(environment);
    // A platform we do not know: let Qt decide, it may well work.
    return !name.empty();
}

}  // namespace

// How to run anyway, in the words of the installed program and its own options.
constexpr std::string_view kHowToRunWithoutADisplay =
    "run \"soundboard --headless\" to run without a window, or \"xvfb-run soundboard\" "
    "for a virtual display (see \"soundboard --help\")";

const std::string& DisplayAvailability::noDisplayMessage() {
    static const std::string message =
        "soundboard: no display to open a window on (DISPLAY and WAYLAND_DISPLAY are not set); " +
        std::string(kHowToRunWithoutADisplay);
    return message;
}

std::string DisplayAvailability::unreachableDisplayMessage(std::string_view display) {
    return "soundboard: the display \"" + std::string(display) +
           "\" does not answer, so no window can open; " + std::string(kHowToRunWithoutADisplay);
}

bool DisplayAvailability::localXServerAnswers(std::string_view display) {
    // "[host]:number[.screen]"; only an empty host or "unix" is a local socket.
    const auto colon = display.rfind(':');
    if (colon == std::string_view::npos) return true;
    const std::string_view host = display.substr(0, colon);
    if (!host.empty() && host != "unix") return true;
    std::string_view rest = display.substr(colon + 1);
    if (const auto dot = rest.find('.'); dot != std::string_view::npos) {
        const std::string_view screen = rest.substr(dot + 1);
        if (screen.empty() || screen.find_first_not_of("0123456789") != std::string_view::npos) {
            return true;
        }
        rest = rest.substr(0, dot);
    }
    int number = -1;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
    if (error != std::errc() || end != rest.data() + rest.size() || number < 0) return true;
    // Where libxcb looks: the abstract socket first, then the file.
    const std::string socketName = "/tmp/.X11-unix/X" + std::to_string(number);
    return socketAnswers(socketName, true) || socketAnswers(socketName, false);
}

std::optional<std::string> DisplayAvailability::problem(const Environment& environment,
                                                        const XServerProbe& xServerAnswers) {
    const auto display = environment("DISPLAY");
    const bool displaySet = display && !display->empty();
    const bool xReachable = !displaySet || !xServerAnswers || xServerAnswers(*display);
    // Qt aborts on a DISPLAY whose server is gone; it is named in the line instead.
    const auto failure = [&] {
        return displaySet && !xReachable ? unreachableDisplayMessage(*display) : noDisplayMessage();
    };
    auto requested = environment("QT_QPA_PLATFORM");
    if (!requested || requested->empty()) {
        // Qt's own choice on Linux: xcb, or Wayland in a Wayland session.
        if ((displaySet && xReachable) || isSet(environment, "WAYLAND_DISPLAY")) {
            return std::nullopt;
        }
        return failure();
    }
    // A ";"-separated list: Qt tries each in turn.
    std::string_view rest = *requested;
    while (true) {
        const auto separator = rest.find(';');
        if (platformCanStart(rest.substr(0, separator), environment, xReachable)) {
            return std::nullopt;
        }
        if (separator == std::string_view::npos) break;
        rest.remove_prefix(separator + 1);
    }
    return failure();
}

std::optional<std::string> DisplayAvailability::problem() {
    return problem(
        [](std::string_view name) -> std::optional<std::string> {
            const char* value = std::getenv(std::string(name).c_str());
            if (value == nullptr) return std::nullopt;
            return std::string(value);
        },
        localXServerAnswers);
}

}  // namespace platform
