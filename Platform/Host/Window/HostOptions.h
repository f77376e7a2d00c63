#pragma once

#include "Platform/Foundation/CommandLine.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct LaunchArguments;

// What the command line asks of the window host beyond the shell's own options,
// and the table of every option the program takes, which --help prints and
// against which the command line is checked before anything starts.
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

    // One option as --help shows it.
    using Option = CommandLineOption;
    // One environment variable the program reads, as --help shows it.
    struct Variable {
        std::string_view name;
        std::string_view help;
    };
    static std::span<const Option> options();
    static std::span<const Variable> variables();

    // What the command line asks for as a whole.
    enum class Request { Run, Help, Version, Mistake };
    struct Check {
        Request request = Request::Run;
        // For a mistake: what is wrong, with a suggestion when one is near.
        std::string mistake;
    };
    // Every argument must be an option of the table, with its value when it takes
    // one ("--bundle DIR" or "--bundle=DIR"), and an option with a value comes at
    // most once. --help and --version win over anything else; the first mistake
    // is reported.
    static Check check(std::span<const std::string_view> arguments);

    // The text of --help: usage, every option on one line, the environment and
    // where the settings live.
    static std::string usage();
    // The lines for a mistake: what is wrong and how to see the options.
    static std::string mistakeText(std::string_view mistake);
    // Exit statuses of the command-line requests, as usual for command-line tools.
    static constexpr int kUsageStatus = 2;
};

}  // namespace platform
