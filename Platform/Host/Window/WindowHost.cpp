#include "WindowHost.h"

#include "DesktopHost.h"
#include "DisplayAvailability.h"
#include "Platform/UI/ApplicationHost.h"

#include <cstdio>
#include <memory>

namespace platform {

void installWindowHost() {
    setWindowHostFactory([] { return std::make_unique<DesktopHost>(); });
}

bool installWindowHost(int argc, char** argv) {
    installWindowHost();
    const LaunchArguments arguments = LaunchArguments::parse(argc, argv);
    // A broken command line is the shell's to report.
    if (arguments.error || arguments.headless || !arguments.screenshotDir.empty()) return true;
    if (auto problem = DisplayAvailability::problem()) {
        std::fputs(problem->c_str(), stderr);
        std::fputc('\n', stderr);
        return false;
    }
    return true;
}

}  // namespace platform
