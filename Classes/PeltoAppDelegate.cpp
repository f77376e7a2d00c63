#include "Classes/PeltoAppDelegate.h"

#include "Platform/Foundation/Log.h"

void PeltoAppDelegate::describeLayout(platform::LayoutClass<PeltoAppDelegate>& layout) {
    layout.outlet("window", &PeltoAppDelegate::window)
        .outlet("navigationController", &PeltoAppDelegate::navigationController);
}

PeltoAppDelegate::~PeltoAppDelegate() {
    navigationController.reset();
    window.reset();
}

bool PeltoAppDelegate::applicationDidFinishLaunchingWithOptions(
    platform::Application& /*application*/, const platform::PlistDictionary* /*launchOptions*/) {
    if (window && navigationController) window->addSubview(navigationController->view());
    if (window) window->makeKeyAndVisible();
    platform::Log("Application Did Finish Launching");
    return true;
}

void PeltoAppDelegate::applicationWillResignActive(platform::Application& /*application*/) {
    platform::Log("Application Will Resign Active");
}

void PeltoAppDelegate::applicationDidEnterBackground(platform::Application& /*application*/) {
    platform::Log("Application Did Enter Background");
}

void PeltoAppDelegate::applicationWillEnterForeground(platform::Application& /*application*/) {
    platform::Log("Application Will Enter Foreground");
}

void PeltoAppDelegate::applicationDidBecomeActive(platform::Application& /*application*/) {
    platform::Log("Application Did Become Active");
}

void PeltoAppDelegate::applicationWillTerminate(platform::Application& /*application*/) {
    platform::Log("Application Will Terminate");
}

void PeltoAppDelegate::applicationDidReceiveMemoryWarning(platform::Application& /*application*/) {
    platform::Log("Application Did Receive Memory Warning");
}
