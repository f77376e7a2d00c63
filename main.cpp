#include "Classes/ApplicationClasses.h"
#include "Classes/ScreenshotTourOfPages.h"
#include "Platform/Host/WindowHost.h"
#include "Platform/UI/ApplicationHost.h"

int main(int argc, char** argv) {
    registerApplicationClasses();
    platform::ScreenshotTour::setApplicationTour(screenshotTourOfPages());
    if (!platform::installWindowHost(argc, argv)) return 1;
    return platform::UIApplicationMain(argc, argv, nullptr, nullptr);
}
