#include "HostOptions.h"

#include "Platform/UI/ApplicationHost.h"

namespace platform {

HostOptions HostOptions::fromLaunchArguments(const LaunchArguments& arguments) {
    HostOptions options;
    options.screenshotDir = arguments.screenshotDir;
    for (const std::string& argument : arguments.rest) {
        if (argument == "--report-first-frame") {
            options.reportFirstFrame = true;
        } else if (argument == "--quit-after-first-frame") {
            options.reportFirstFrame = true;
            options.quitAfterFirstFrame = true;
        } else {
            options.unknown.push_back(argument);
        }
    }
    return options;
}

}  // namespace platform
