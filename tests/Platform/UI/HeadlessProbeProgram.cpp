// A minimal application for the headless host tests: it launches from the
// bundle given on its command line, says "ready" on stdout once the run loop
// serves events, and logs its launch and termination.

#include "Platform/Foundation/Log.h"
#include "Platform/UI/ApplicationDelegate.h"
#include "Platform/UI/ApplicationHost.h"
#include "Platform/UI/LayoutRegistry.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/Window.h"

#include <cstdio>
#include <memory>

namespace {

class ProbeDelegate : public platform::Object, public platform::ApplicationDelegate {
  public:
    std::shared_ptr<platform::Window> window;
    std::shared_ptr<platform::NavigationController> navigationController;

    static void describeLayout(platform::LayoutClass<ProbeDelegate>& layout) {
        layout.outlet("window", &ProbeDelegate::window)
            .outlet("navigationController", &ProbeDelegate::navigationController);
    }

    bool applicationDidFinishLaunchingWithOptions(platform::Application&,
                                                  const platform::PlistDictionary*) override {
        if (window && navigationController) {
            window->addSubview(navigationController->view());
            window->makeKeyAndVisible();
        }
        platform::Log("Probe Did Finish Launching");
        return true;
    }
    void applicationDidBecomeActive(platform::Application&) override {
        platform::Log("Probe Did Become Active");
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
    }
    void applicationWillTerminate(platform::Application&) override {
        platform::Log("Probe Will Terminate");
    }
};

class ProbePage : public platform::ViewController {};

}  // namespace

int main(int argc, char** argv) {
    platform::LayoutRegistry::registerClass<ProbeDelegate>("ProbeDelegate");
    platform::LayoutRegistry::registerClass<ProbePage>("ProbePage");
    return platform::UIApplicationMain(argc, argv, nullptr, nullptr);
}
