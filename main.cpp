#include "Classes/ApplicationClasses.h"
#include "Classes/CommandLine/BoardCommands.h"
#include "Classes/Desktop/DesktopCommands.h"
#include "Classes/Desktop/LastOpenedBoard.h"
#include "Classes/Desktop/ScreenshotTourOfPages.h"
#include "Classes/Remote/RemoteLaunch.h"
#include "Platform/Host/HostOptions.h"
#include "Platform/Host/WindowHost.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/ApplicationHost.h"
#include "SoundboardVersion.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Answers --help, --version and a mistyped command line before anything starts;
// the exit status when the program ends here, or -1 to go on.
int answerCommandLine(int argc, char** argv) {
    std::vector<std::string_view> arguments;
    for (int index = 1; index < argc && argv[index] != nullptr; ++index) {
        arguments.emplace_back(argv[index]);
    }
    using platform::HostOptions;
    const HostOptions::Check check = HostOptions::check(arguments);
    switch (check.request) {
        case HostOptions::Request::Help:
            std::fputs(HostOptions::usage().c_str(), stdout);
            return 0;
        case HostOptions::Request::Version:
            std::fputs(("soundboard " + std::string(kSoundboardVersion) + "\n").c_str(), stdout);
            return 0;
        case HostOptions::Request::Mistake:
            std::fputs(HostOptions::mistakeText(check.mistake).c_str(), stderr);
            return HostOptions::kUsageStatus;
        case HostOptions::Request::Run:
            break;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int status = answerCommandLine(argc, argv); status >= 0) return status;
    if (auto status = runBoardCommandLine(argc, argv)) return *status;
    // A board that hangs or crashes before its pages show is not reopened by itself.
    platform::Application::sharedApplication().setContentShownHandler(
        LastOpenedBoard::confirmOpened);
    registerApplicationClasses();
    platform::ScreenshotTour::setApplicationTour(screenshotTourOfPages());
    platform::WindowCommands::setApplicationCommands(desktopCommands());
    if (!platform::installWindowHost(argc, argv)) return 1;
    startRemoteAtLaunch(argc, argv);
    return platform::UIApplicationMain(argc, argv, nullptr, nullptr);
}
