#pragma once

// Test pages and temporary bundles shared by the page, navigation, layout and
// application tests. Everything here is made per test (each test runs in its
// own process with its own temporary folder).

#include "Platform/Foundation/Bundle.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/Button.h"
#include "Platform/UI/Label.h"
#include "Platform/UI/LayoutRegistry.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/Switch.h"
#include "Platform/UI/TableView.h"
#include "Platform/UI/ViewController.h"
#include "Platform/UI/WebView.h"
#include "Platform/UI/Window.h"
#include "tests/support/TestEnvironment.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace uitest {

// The shared application outlives a test's objects unless it is reset.
inline const bool kApplicationResetHook = [] {
    sbtest::addResetHook([] { platform::Application::resetSharedApplication(); });
    return true;
}();

// What the recording pages did, in order: "<page name>:<event>".
inline std::vector<std::string>& events() {
    static std::vector<std::string> all;
    return all;
}

// A page that records its lifecycle, with one outlet or action of each kind,
// and that answers its table and web view itself.
class RecordingPage : public platform::ViewController,
                      public platform::TableViewDataSource,
                      public platform::TableViewDelegate,
                      public platform::WebViewDelegate {
  public:
    std::shared_ptr<platform::Label> titleLabel;
    std::shared_ptr<platform::TableView> table;
    std::shared_ptr<platform::Button> button;
    std::shared_ptr<platform::Switch> toggle;
    std::shared_ptr<platform::WebView> banner;
    std::shared_ptr<platform::View> panel;

    static void describeLayout(platform::LayoutClass<RecordingPage>& layout) {
        layout.outlet("titleLabel", &RecordingPage::titleLabel)
            .outlet("table", &RecordingPage::table)
            .outlet("button", &RecordingPage::button)
            .outlet("toggle", &RecordingPage::toggle)
            .outlet("banner", &RecordingPage::banner)
            .outlet("panel", &RecordingPage::panel)
            .action("onTap", &RecordingPage::onTap)
            .action("onToggle", &RecordingPage::onToggle);
    }

    std::string name = "page";
    int taps = 0;
    int toggles = 0;
    int rows = 3;
    int webViewQuestions = 0;
    std::function<void(RecordingPage&, platform::TableView&, platform::IndexPath)> onSelect;
    std::function<void(RecordingPage&)> onAppear;

    void viewDidLoad() override { record("viewDidLoad"); }
    void viewWillAppear(bool) override {
        record("viewWillAppear");
        if (onAppear) onAppear(*this);
    }
    void viewDidUnload() override { record("viewDidUnload"); }
    void onTap() {
        ++taps;
        record("onTap");
    }
    void onToggle() { ++toggles; }

    int tableViewNumberOfRowsInSection(platform::TableView&, int) override { return rows; }
    void tableViewDidSelectRowAtIndexPath(platform::TableView& tableView,
                                          platform::IndexPath indexPath) override {
        if (onSelect) onSelect(*this, tableView, indexPath);
    }
    bool webViewShouldStartLoadWithRequest(platform::WebView&, const platform::URLRequest&,
                                           int) override {
        ++webViewQuestions;
        return true;
    }

  private:
    void record(const std::string& event) { events().push_back(name + ":" + event); }
};

// A page without outlets, actions or delegate interfaces.
class PlainPage : public platform::ViewController {};

// An application delegate for main window layouts: records its callbacks and,
// on launch, shows the navigation stack in the window as the real one does.
class RecordingDelegate : public platform::Object, public platform::ApplicationDelegate {
  public:
    std::shared_ptr<platform::Window> window;
    std::shared_ptr<platform::NavigationController> navigationController;

    static void describeLayout(platform::LayoutClass<RecordingDelegate>& layout) {
        layout.outlet("window", &RecordingDelegate::window)
            .outlet("navigationController", &RecordingDelegate::navigationController);
    }

    // What the launch callback saw of the window; hooks run after each callback.
    bool windowWasKeyAndVisibleAtLaunch = false;
    static inline std::function<void(RecordingDelegate&)> afterLaunch;
    static inline std::function<void(const std::string& event)> afterEvent;

    bool applicationDidFinishLaunchingWithOptions(platform::Application&,
                                                  const platform::PlistDictionary*) override {
        if (window && navigationController) {
            window->addSubview(navigationController->view());
            window->makeKeyAndVisible();
            windowWasKeyAndVisibleAtLaunch = window->isKeyWindow() && window->isVisible();
        }
        events().push_back(std::string("delegate:launch") +
                           (windowWasKeyAndVisibleAtLaunch ? " key+visible" : ""));
        if (afterLaunch) afterLaunch(*this);
        return true;
    }
    void applicationWillResignActive(platform::Application&) override { note("resign"); }
    void applicationDidEnterBackground(platform::Application&) override { note("background"); }
    void applicationWillEnterForeground(platform::Application&) override { note("foreground"); }
    void applicationDidBecomeActive(platform::Application&) override { note("active"); }
    void applicationWillTerminate(platform::Application&) override { note("terminate"); }
    void applicationDidReceiveMemoryWarning(platform::Application&) override { note("memory"); }

  private:
    static void note(const std::string& event) {
        events().push_back("delegate:" + event);
        if (afterEvent) afterEvent(event);
    }
};

// A folder in the test's temporary directory holding `files` (name, contents).
inline std::filesystem::path writeBundleFolder(
    std::initializer_list<std::pair<std::string, std::string>> files,
    const std::string& folder = "bundle") {
    auto path = sbtest::tempDir() / folder;
    std::filesystem::create_directories(path);
    for (const auto& [name, contents] : files) sbtest::writeFile(path / name, contents);
    return path;
}

inline std::shared_ptr<platform::Bundle> makeBundle(
    std::initializer_list<std::pair<std::string, std::string>> files,
    const std::string& folder = "bundle") {
    return platform::Bundle::bundleWithPath(writeBundleFolder(files, folder));
}

// A page layout: the XML declaration, <layout owner=...> and `body`.
inline std::string pageLayout(std::string_view owner, std::string_view body) {
    std::string root = owner.empty() ? "<layout>" : "<layout owner=\"" + std::string(owner) + "\">";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + root + "\n" + std::string(body) +
           "\n</layout>\n";
}

inline std::string plainLayout(std::string_view owner = "RecordingPage") {
    return pageLayout(owner, R"(<View frame="0,0,320,436"><Label outlet="titleLabel"/></View>)");
}

// A window of the screen's size, made key and visible, showing `navigation`.
inline std::shared_ptr<platform::Window> showInKeyWindow(
    const std::shared_ptr<platform::NavigationController>& navigation) {
    auto window = std::make_shared<platform::Window>(platform::Rect{0, 0, 320, 480});
    window->addSubview(navigation->view());
    window->makeKeyAndVisible();
    return window;
}

}  // namespace uitest
