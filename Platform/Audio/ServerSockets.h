#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Where a local sound server's socket appears, read from the environment the
// way the server's client library reads it: every local socket of
// $PULSE_SERVER when it is set, else the per-user runtime folder
// ($PULSE_RUNTIME_PATH, else $XDG_RUNTIME_DIR/pulse) and the system-wide
// server's. `remote` is set when a server may also come that no folder
// shows: a network address in $PULSE_SERVER, or no runtime folder known.
struct ServerSockets {
    std::vector<std::filesystem::path> sockets;
    bool remote = false;

    using Environment = std::function<std::optional<std::string>(const std::string& name)>;
    static ServerSockets fromEnvironment(const Environment& environment);
    // The process's own environment.
    static ServerSockets fromEnvironment();
};

}  // namespace platform
