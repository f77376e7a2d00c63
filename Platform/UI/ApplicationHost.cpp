#include "ApplicationHost.h"

#include "Application.h"
#include "LayoutRegistry.h"
#include "MainWindowLoader.h"
#include "NavigationController.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/CommandLine.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/UserDefaults.h"
#include "TerminationSignals.h"
#include "Window.h"

#include <filesystem>
#include <string_view>

namespace platform {
namespace {

ApplicationHostFactory& windowHostFactory() {
    static ApplicationHostFactory factory;
    return factory;
}

// The delegate named on the command of UIApplicationMain, or null after logging why not.
std::shared_ptr<Object> delegateObject(const char* className) {
    const auto* info = LayoutRegistry::find(className);
    auto object = info && info->create ? info->create() : nullptr;
    if (!std::dynamic_pointer_cast<ApplicationDelegate>(object)) {
        Log("No application delegate class named " + std::string(className));
        return nullptr;
    }
    return object;
}

// Loads the main window layout of `bundle`, keeps its objects (with `keep`) in
// place of any kept before, and tells the delegate it finished launching.
bool loadMainWindow(Application& application, const std::shared_ptr<Bundle>& bundle,
                    std::vector<std::shared_ptr<Object>> keep) {
    // The layout logs its own line when it fails.
    auto mainWindow = MainWindowLoader::load(bundle->mainLayoutName(), bundle);
    if (!mainWindow) return false;
    if (mainWindow->applicationDelegate) application.setDelegate(mainWindow->applicationDelegate);
    for (auto& [id, object] : mainWindow->objects) keep.push_back(object);
    if (mainWindow->window) keep.push_back(mainWindow->window);
    for (auto& navigation : mainWindow->navigationControllers) keep.push_back(navigation);
    application.retainTopLevelObjects(std::move(keep));
    mainWindow.reset();

    if (auto delegate = application.delegatePointer()) {
        delegate->applicationDidFinishLaunchingWithOptions(application, nullptr);
    }
    return true;
}

int launch(const LaunchArguments& arguments, const char* principalClassName,
           const char* delegateClassName) {
    if (arguments.error) {
        Log("Cannot start: " + *arguments.error);
        return 1;
    }
    std::string_view principal = principalClassName != nullptr ? principalClassName : "";
    if (!principal.empty() && principal != "Application" && principal != "UIApplication") {
        Log("No application class named " + std::string(principalClassName));
        return 1;
    }
    if (!arguments.bundlePath.empty()) {
        std::error_code ignored;
        if (!std::filesystem::is_directory(arguments.bundlePath, ignored)) {
            Log("Application bundle not found: " + arguments.bundlePath);
            return 1;
        }
        Bundle::setMainBundlePath(arguments.bundlePath);
    }
    auto bundle = Bundle::mainBundle();
    if (!bundle) {
        Log("Application bundle not found");
        return 1;
    }

    auto& application = Application::sharedApplication();
    std::vector<std::shared_ptr<Object>> keep;
    if (delegateClassName != nullptr && *delegateClassName != '\0') {
        auto object = delegateObject(delegateClassName);
        if (!object) return 1;
        application.setDelegate(std::dynamic_pointer_cast<ApplicationDelegate>(object));
        keep.push_back(std::move(object));
    }
    if (!loadMainWindow(application, bundle, std::move(keep))) return 1;

    std::unique_ptr<ApplicationHost> host;
    if (!arguments.headless && windowHostFactory()) host = windowHostFactory()();
    if (!host) host = std::make_unique<HeadlessHost>();
    return host->run(application, arguments);
}

}  // namespace

LaunchArguments LaunchArguments::parse(int argc, char** argv) {
    LaunchArguments arguments;
    if (argv == nullptr) return arguments;
    if (argc > 0 && argv[0] != nullptr) arguments.programName = argv[0];
    // The one reading of the command line every part of the program shares.
    const CommandLine line = CommandLine::parse(argc, argv);
    if (!line.optionMistake.empty()) arguments.error = line.optionMistake;
    for (const CommandLine::Given& given : line.given) {
        const std::string value = given.values.empty() ? std::string() : given.values.front();
        if (given.name == "--headless") {
            arguments.headless = true;
        } else if (given.name == "--remote") {
            arguments.remote = true;
        } else if (given.name == "--voice-chat") {
            arguments.voiceChat = true;
        } else if (given.name == "--bundle") {
            arguments.bundlePath = value;
        } else if (given.name == "--screenshot") {
            arguments.screenshotDir = value;
        } else {
            // The host's own options (--report-first-frame) go on to it.
            arguments.rest.emplace_back(given.name);
            arguments.rest.insert(arguments.rest.end(), given.values.begin(), given.values.end());
        }
    }
    arguments.rest.insert(arguments.rest.end(), line.unrecognised.begin(), line.unrecognised.end());
    return arguments;
}

void setWindowHostFactory(ApplicationHostFactory factory) {
    windowHostFactory() = std::move(factory);
}

int HeadlessHost::run(Application& application, const LaunchArguments&) {
    TerminationSignals signals([] { Application::sharedApplication().terminate(0); });
    // A delegate may have ended the application while it launched.
    if (application.isTerminating()) return application.terminationStatus();
    RunLoop::main().post([&application] {
        application.didBecomeActive();
        application.contentShown();
    });
    return RunLoop::main().run();
}

bool reopenMainWindow(Application& application, const std::filesystem::path& bundleFolder) {
    // The main bundle would otherwise fall back on another folder.
    std::error_code failed;
    if (!std::filesystem::is_directory(bundleFolder, failed)) return false;
    auto previous = Bundle::mainBundle();
    const std::optional<std::filesystem::path> previousFolder =
        previous ? std::optional(previous->bundlePath()) : std::nullopt;
    // The settings store belongs to the bundle: the next one is the new bundle's.
    UserDefaults::standardUserDefaults().synchronize();
    UserDefaults::resetStandardUserDefaults();
    Bundle::setMainBundlePath(bundleFolder);
    auto bundle = Bundle::mainBundle();
    // A layout that fails to load changes nothing: the old pages stay, and key.
    if (bundle && loadMainWindow(application, bundle, {})) return true;
    if (previousFolder) {
        Bundle::setMainBundlePath(*previousFolder);
    } else {
        Bundle::resetMainBundle();
    }
    UserDefaults::resetStandardUserDefaults();
    return false;
}

int UIApplicationMain(int argc, char** argv, const char* principalClassName,
                      const char* delegateClassName) {
    int status = launch(LaunchArguments::parse(argc, argv), principalClassName, delegateClassName);
    Application::resetSharedApplication();
    return status;
}

}  // namespace platform
