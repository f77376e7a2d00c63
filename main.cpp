#include "Classes/ApplicationClasses.h"
#include "Classes/Bus/BusControl.h"
#include "Classes/Bus/RemoteCommandLine.h"
#include "Classes/CommandLine/BoardCommands.h"
#include "Classes/Desktop/DesktopCommands.h"
#include "Classes/Desktop/LastOpenedBoard.h"
#include "Classes/Desktop/ScreenshotTourOfPages.h"
#include "Classes/Desktop/VoiceChatCommands.h"
#include "Classes/Hotkeys/BoardHotkeys.h"
#include "Classes/Hotkeys/HotkeyCommands.h"
#include "Classes/Remote/RemoteLaunch.h"
#include "Platform/Foundation/CommandLine.h"
#include "Platform/Host/Window/HostOptions.h"
#include "Platform/Host/Window/WindowHost.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/ApplicationHost.h"
#include "SoundboardVersion.h"

#include <cstdio>
#include <memory>
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
    if (auto status = runRemoteCommandLine(argc, argv)) return *status;
    if (auto status = runBoardCommandLine(argc, argv)) return *status;
    // A screenshot walk is no running copy: no hotkeys, nothing on the bus.
    const bool serving = !platform::CommandLine::parse(argc, argv).has("--screenshot");
    std::string noHotkeys = "Global hotkeys are off while screens are drawn.";
    auto desktopHotkeys = serving ? platform::GlobalHotkeys::forDesktop(noHotkeys) : nullptr;
    BoardHotkeys hotkeys(std::move(desktopHotkeys), noHotkeys);
    // A board that hangs or crashes before its pages show is not reopened by
    // itself; a board that opened gets its own hotkeys.
    platform::Application::sharedApplication().setContentShownHandler([&hotkeys] {
        LastOpenedBoard::confirmOpened();
        hotkeys.boardOpened();
    });
    registerApplicationClasses();
    platform::ScreenshotTour::setApplicationTour(screenshotTourOfPages());
    auto commands = desktopCommands();
    commands.addAll(hotkeyCommands(hotkeys));
    setGlobalHotkeyListing([&hotkeys] { return hotkeys.listing(); });
    platform::WindowCommands::setApplicationCommands(std::move(commands));
    answerSoundHotkeyCommand(hotkeys);
    if (!platform::installWindowHost(argc, argv)) return 1;
    // Other programs reach the running copy.
    std::unique_ptr<BusControl> bus;
    if (serving) bus = std::make_unique<BusControl>();
    // Browsers on the local network too, when the user switched the remote on.
    startRemoteAtLaunch(argc, argv);
    // A screenshot walk makes nothing on the sound server.
    if (serving) startVoiceChatAtLaunch(argc, argv);
    return platform::UIApplicationMain(argc, argv, nullptr, nullptr);
}
