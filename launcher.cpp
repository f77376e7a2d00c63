// What the user starts as `soundboard`. A request to the copy that already
// runs (--play, --stop-all) is made here, by a program that loads the bus
// client and little else, so a Stream Deck key or a script's call costs a few
// milliseconds instead of loading the window toolkit, the audio and the web
// server. Everything else is the program proper's (<prefix>/libexec/soundboard),
// which takes this process's place with the same arguments and process id.

#include "Classes/Bus/RemoteCommandLine.h"
#include "Platform/Foundation/CommandLine.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

// Beside this program in a build tree (libexec/soundboard), else where the
// installed layout puts it from <prefix>/bin; found from this program's own
// location, so an installed tree stays relocatable.
fs::path programProper() {
    std::error_code failed;
    const fs::path self = fs::read_symlink("/proc/self/exe", failed);
    if (failed || self.empty()) return {};
    const fs::path folder = self.parent_path();
    for (const fs::path& candidate : {folder / SOUNDBOARD_LIBEXEC_DIR / "soundboard",
                                      folder / ".." / SOUNDBOARD_LIBEXEC_DIR / "soundboard"}) {
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

// --help, --version and a mistyped line are the program proper's to answer,
// as they were before any request to the running copy.
bool asksTheRunningCopyAlone(int argc, char** argv) {
    const auto line = platform::CommandLine::parse(argc, argv);
    return line.mistake.empty() && !line.has("--help") && !line.has("--version");
}

}  // namespace

int main(int argc, char** argv) {
    if (asksTheRunningCopyAlone(argc, argv)) {
        if (const auto status = runRemoteCommandLine(argc, argv)) return *status;
    }
    const fs::path program = programProper();
    if (program.empty()) {
        std::fputs(
            "soundboard: the program is not installed beside this one (libexec/soundboard)\n",
            stderr);
        return 127;
    }
    ::execv(program.c_str(), argv);
    const std::string line =
        "soundboard: cannot start " + program.string() + ": " + std::strerror(errno) + "\n";
    std::fputs(line.c_str(), stderr);
    return 127;
}
