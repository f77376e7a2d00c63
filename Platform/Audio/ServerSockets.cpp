#include "ServerSockets.h"

#include <cstdlib>
#include <sstream>

namespace platform {
namespace {

// The system-wide server's socket, where the client library looks last.
constexpr const char* kSystemSocket = "/run/pulse/native";

// One entry of $PULSE_SERVER: "unix:PATH", a bare absolute path, or a
// network address ("tcp:host", "host:port", ...), any of them after an
// optional "{machine id}" that limits it to one machine.
void addServerEntry(std::string entry, ServerSockets& places) {
    if (entry.starts_with('{')) {
        const std::size_t close = entry.find('}');
        entry = close == std::string::npos ? std::string() : entry.substr(close + 1);
    }
    if (entry.empty()) return;
    std::string path;
    if (entry.starts_with("unix:")) {
        path = entry.substr(5);
    } else if (entry.starts_with('/')) {
        path = entry;
    }
    if (path.starts_with('/')) {
        places.sockets.emplace_back(std::filesystem::path(path).lexically_normal());
    } else {
        places.remote = true;
    }
}

}  // namespace

ServerSockets ServerSockets::fromEnvironment(const Environment& environment) {
    ServerSockets places;
    const auto value = [&](const std::string& name) -> std::string {
        const std::optional<std::string> text = environment(name);
        return text ? *text : std::string();
    };
    if (const std::string servers = value("PULSE_SERVER"); !servers.empty()) {
        std::istringstream entries(servers);
        for (std::string entry; entries >> entry;) addServerEntry(entry, places);
        // Only blanks or empty entries: the client library then tries nothing.
        if (places.sockets.empty()) places.remote = true;
        return places;
    }
    if (const std::string runtime = value("PULSE_RUNTIME_PATH"); runtime.starts_with('/')) {
        places.sockets.emplace_back(std::filesystem::path(runtime) / "native");
    } else if (const std::string xdg = value("XDG_RUNTIME_DIR"); xdg.starts_with('/')) {
        places.sockets.emplace_back(std::filesystem::path(xdg) / "pulse" / "native");
    } else {
        // The library's last resort is a folder under $HOME named after the
        // machine: not worth guessing, a slow look now and then finds it.
        places.remote = true;
    }
    places.sockets.emplace_back(kSystemSocket);
    return places;
}

ServerSockets ServerSockets::fromEnvironment() {
    return fromEnvironment([](const std::string& name) -> std::optional<std::string> {
        const char* text = std::getenv(name.c_str());
        if (text == nullptr) return std::nullopt;
        return std::string(text);
    });
}

}  // namespace platform
