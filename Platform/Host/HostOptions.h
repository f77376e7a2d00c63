#pragma once

#include <string>
#include <vector>

namespace platform {

struct LaunchArguments;

// What the command line asks of the window host beyond the shell's own options.
struct HostOptions {
    // --screenshot DIR: walk the application offscreen, write one picture per
    // screen into DIR, and exit.
    std::string screenshotDir;
    // --report-first-frame: print "first frame drawn" on standard output once
    // the window has drawn itself for the first time (for tools and tests).
    bool reportFirstFrame = false;
    // --quit-after-first-frame: report the first frame, then end normally.
    bool quitAfterFirstFrame = false;
    // Options nobody knows, as given.
    std::vector<std::string> unknown;

    static HostOptions fromLaunchArguments(const LaunchArguments& arguments);
    static constexpr const char* kFirstFrameLine = "first frame drawn";
};

}  // namespace platform
