#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class Application;

// What the command line asked of the application shell.
struct LaunchArguments {
    std::string programName;
    std::string bundlePath;         // --bundle DIR
    bool headless = false;          // --headless
    bool remote = false;            // --remote (the application starts its remote)
    bool voiceChat = false;         // --voice-chat (the application plays into a call)
    std::string screenshotDir;      // --screenshot DIR
    std::vector<std::string> rest;  // everything else, in order, for the host
    // Set when the command line cannot be used (an option without its value).
    std::optional<std::string> error;
    // Read with the program's one command line reader (CommandLine), so values
    // are given as "--bundle DIR" or "--bundle=DIR" as everywhere else.
    static LaunchArguments parse(int argc, char** argv);
};

// Something that runs the launched application until it ends: the headless run
// loop or a window. Returns the exit status.
class ApplicationHost {
  public:
    virtual ~ApplicationHost() = default;
    virtual int run(Application& application, const LaunchArguments& arguments) = 0;
};

// The host to use when not --headless. Without one, the application runs headless.
using ApplicationHostFactory = std::function<std::unique_ptr<ApplicationHost>()>;
void setWindowHostFactory(ApplicationHostFactory factory);

// Serves the main run loop until the application terminates; SIGTERM and SIGINT
// deliver will-terminate and end the loop cleanly with status 0. Once the loop
// serves events (and the signals are caught), the application becomes active.
class HeadlessHost final : public ApplicationHost {
  public:
    int run(Application& application, const LaunchArguments& arguments) override;
};

// Reads Info.plist of the main bundle, loads the main window layout (which
// creates and connects the delegate, window, navigation controller and root
// page), calls the delegate's launch callback, runs the host until the
// application ends, and returns the exit status. Principal and delegate class
// names, when given, name registered classes; normally both are null. The only
// principal class is the application object itself ("Application" or
// "UIApplication"). A missing bundle, a broken main window layout or an unusable
// command line logs one line and returns 1. Before returning, the shared
// application lets go of its delegate and the layout's objects.
// Starts the running application anew on the bundle in `bundleFolder`: it
// becomes the main bundle (with its own settings store), and its main window
// layout's objects replace the present ones, whose pages then go (once nothing
// else holds them). The delegate is told it finished launching, as at start.
// False, with the previous bundle and pages kept, when the folder holds no
// bundle or its main window layout does not load. Main thread only.
bool reopenMainWindow(Application& application, const std::filesystem::path& bundleFolder);

int UIApplicationMain(int argc, char** argv, const char* principalClassName,
                      const char* delegateClassName);

}  // namespace platform
