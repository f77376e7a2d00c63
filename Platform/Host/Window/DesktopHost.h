#pragma once

#include "Platform/UI/ApplicationHost.h"

namespace platform {

// Runs the launched application in a Qt window: one event loop for the window
// and the main run loop, SIGTERM and SIGINT as a clean termination, SIGUSR1 as
// a memory warning, URLs opened by the desktop. With --screenshot DIR it walks
// the application offscreen instead and writes its pictures. Without a display
// it prints one line saying how to run anyway and returns 1, before Qt starts.
class DesktopHost final : public ApplicationHost {
  public:
    int run(Application& application, const LaunchArguments& arguments) override;
};

}  // namespace platform
