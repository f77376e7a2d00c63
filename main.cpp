#include "Classes/ApplicationClasses.h"
#include "Classes/Boards/BoardCommands.h"
#include "Platform/Host/WindowHost.h"
#include "Platform/UI/ApplicationHost.h"

int main(int argc, char** argv) {
    if (auto status = runBoardCommandLine(argc, argv)) return *status;
    registerApplicationClasses();
    if (!platform::installWindowHost(argc, argv)) return 1;
    return platform::UIApplicationMain(argc, argv, nullptr, nullptr);
}
