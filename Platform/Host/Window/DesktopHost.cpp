#include "DesktopHost.h"

#include "DesktopURLOpener.h"
#include "DisplayAvailability.h"
#include "HostOptions.h"
#include "HostWindow.h"
#include "MemoryWarningSignal.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Host/Paint/HostFonts.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/ScreenshotTour.h"
#include "Platform/UI/TerminationSignals.h"
#include "QtMessageLog.h"
#include "RunLoopBridge.h"
#include "ScreenshotTourRunner.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace platform {
namespace {

// The desktop entry the window belongs to (its icon and name in the shell) is
// named after the bundle's identifier.
QString desktopFileName() {
    auto bundle = Bundle::mainBundle();
    return bundle ? QString::fromStdString(bundle->bundleIdentifier()) : QString();
}

// The bundle's name (CFBundleName), for a command line without a program name.
std::string bundleName() {
    auto bundle = Bundle::mainBundle();
    auto name = bundle ? bundle->stringForInfoKey("CFBundleName") : std::nullopt;
    return name && !name->empty() ? *name : std::string("application");
}

int runWindow(Application& application, const HostOptions& options) {
    HostWindow window(application, options);
    RunLoopBridge bridge(application);
    QObject::connect(&bridge, &RunLoopBridge::serviced, &window, qOverload<>(&QWidget::update));
    TerminationSignals termination([] { Application::sharedApplication().terminate(0); });
    MemoryWarningSignal memoryWarnings(application);
    QObject::connect(&memoryWarnings, &MemoryWarningSignal::delivered, &window,
                     qOverload<>(&QWidget::update));
    window.show();
    // A new window asks for the focus; the window manager decides.
    window.activateWindow();
    const int status = QApplication::exec();
    return application.isTerminating() ? application.terminationStatus() : status;
}

int runScreenshots(Application& application, const HostOptions& options) {
    HostWindow window(application, options);
    const bool written = ScreenshotTourRunner(window, application)
                             .run(ScreenshotTour::applicationTour(), options.screenshotDir);
    const int status = written ? 0 : 1;
    application.terminate(status);
    return status;
}

}  // namespace

int DesktopHost::run(Application& application, const LaunchArguments& arguments) {
    // A delegate may have ended the application while it launched.
    if (application.isTerminating()) return application.terminationStatus();
    const HostOptions options = HostOptions::fromLaunchArguments(arguments);
    // The command line is checked before anything starts; an option that reaches
    // this far unread would be a wish silently dropped, so nothing goes on.
    if (!options.unknown.empty()) {
        Log("Cannot start: unknown option " + options.unknown.front());
        application.terminate(HostOptions::kUsageStatus);
        return HostOptions::kUsageStatus;
    }

    const bool screenshots = !options.screenshotDir.empty();
    if (screenshots) {
        // Pictures come out the same on every machine, with or without a display.
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    } else if (auto problem = DisplayAvailability::problem()) {
        std::fputs(problem->c_str(), stderr);
        std::fputc('\n', stderr);
        return 1;
    }

    QtMessageLog::install();
    // Qt keeps references to these for the application's life. Only the program
    // name is passed on: our options are not Qt's to read.
    std::string programName = arguments.programName.empty() ? bundleName() : arguments.programName;
    std::vector<char*> qtArguments{programName.data(), nullptr};
    int qtArgumentCount = 1;
    QApplication qtApplication(qtArgumentCount, qtArguments.data());
    QApplication::setQuitOnLastWindowClosed(false);
    QGuiApplication::setDesktopFileName(desktopFileName());
    HostFonts::install();

    application.setURLOpener(DesktopURLOpener::open);
    const int status =
        screenshots ? runScreenshots(application, options) : runWindow(application, options);
    // The desktop opener needs Qt, which ends here.
    application.setURLOpener(nullptr);
    return status;
}

}  // namespace platform
