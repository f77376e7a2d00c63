#include "Classes/ApplicationClasses.h"
#include "Classes/MainPage.h"
#include "Classes/PeltoAppDelegate.h"
#include "PageHarness.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/ApplicationHost.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using platform::Application;

TEST(PeltoAppDelegateTest, EachLifecycleEventLogsItsOwnLineOnce) {
    using Callback = std::function<void(PeltoAppDelegate&, Application&)>;
    struct Case {
        Callback callback;
        const char* line;
    };
    const Case cases[] = {
        {[](auto& d, auto& a) { d.applicationWillResignActive(a); },
         "Application Will Resign Active"},
        {[](auto& d, auto& a) { d.applicationDidEnterBackground(a); },
         "Application Did Enter Background"},
        {[](auto& d, auto& a) { d.applicationWillEnterForeground(a); },
         "Application Will Enter Foreground"},
        {[](auto& d, auto& a) { d.applicationDidBecomeActive(a); },
         "Application Did Become Active"},
        {[](auto& d, auto& a) { d.applicationWillTerminate(a); }, "Application Will Terminate"},
        {[](auto& d, auto& a) { d.applicationDidReceiveMemoryWarning(a); },
         "Application Did Receive Memory Warning"},
    };
    auto delegate = std::make_shared<PeltoAppDelegate>();
    auto& application = Application::sharedApplication();
    for (const auto& c : cases) {
        platform::LogCapture capture;
        c.callback(*delegate, application);
        EXPECT_EQ(capture.messages(), std::vector<std::string>{c.line});
    }
    // In reverse order as well: every line stands alone.
    platform::LogCapture capture;
    for (auto it = std::rbegin(cases); it != std::rend(cases); ++it)
        it->callback(*delegate, application);
    std::vector<std::string> expected;
    for (auto it = std::rbegin(cases); it != std::rend(cases); ++it) expected.push_back(it->line);
    EXPECT_EQ(capture.messages(), expected);
}

// Logs the window's state at the moment the launch line goes out.
TEST(PeltoAppDelegateTest, LaunchShowsTheStackThenLogsOnce) {
    pagetest::PageHarness harness;
    auto delegate = std::make_shared<PeltoAppDelegate>();
    delegate->setWindow(std::make_shared<platform::Window>(platform::Rect{0, 0, 320, 480}));
    auto root = platform::ViewController::initWithNibName<MainPage>("MainPage");
    ASSERT_TRUE(root);
    delegate->setNavigationController(
        platform::NavigationController::initWithRootViewController(root));
    EXPECT_FALSE(delegate->window->isKeyWindow());
    platform::LogCapture capture;
    EXPECT_TRUE(delegate->applicationDidFinishLaunchingWithOptions(Application::sharedApplication(),
                                                                   nullptr));
    EXPECT_EQ(capture.messages(), std::vector<std::string>{"Application Did Finish Launching"});
    EXPECT_TRUE(delegate->window->isKeyWindow());
    EXPECT_TRUE(delegate->window->isVisible());
    EXPECT_EQ(delegate->navigationController->view()->superview(), delegate->window.get());
    EXPECT_TRUE(root->isViewLoaded());
}

TEST(PeltoAppDelegateTest, DestructionReleasesTheStackAndTheWindow) {
    auto delegate = std::make_shared<PeltoAppDelegate>();
    auto window = std::make_shared<platform::Window>();
    auto root = platform::ViewController::initWithNibName<MainPage>("MainPage");
    auto stack = platform::NavigationController::initWithRootViewController(root);
    std::weak_ptr<platform::Window> watchedWindow = window;
    std::weak_ptr<platform::NavigationController> watchedStack = stack;
    std::weak_ptr<MainPage> watchedRoot = root;
    delegate->window = std::move(window);
    delegate->navigationController = std::move(stack);
    root.reset();
    delegate.reset();
    EXPECT_TRUE(watchedWindow.expired());
    EXPECT_TRUE(watchedStack.expired());
    EXPECT_TRUE(watchedRoot.expired());
}

// A window that notes, as it goes, whether the navigation stack went before it.
class WatchedWindow : public platform::Window {
  public:
    WatchedWindow(std::weak_ptr<platform::NavigationController> stack, bool& stackWentFirst)
        : m_stack(std::move(stack)), m_stackWentFirst(stackWentFirst) {}
    ~WatchedWindow() override { m_stackWentFirst = m_stack.expired(); }

  private:
    std::weak_ptr<platform::NavigationController> m_stack;
    bool& m_stackWentFirst;
};

TEST(PeltoAppDelegateTest, DestructionReleasesTheStackBeforeTheWindow) {
    pagetest::PageHarness harness;
    auto delegate = std::make_shared<PeltoAppDelegate>();
    auto root = platform::ViewController::initWithNibName<MainPage>("MainPage");
    ASSERT_TRUE(root);
    delegate->setNavigationController(
        platform::NavigationController::initWithRootViewController(root));
    root.reset();
    bool stackWentFirst = false;
    delegate->setWindow(
        std::make_shared<WatchedWindow>(delegate->navigationController, stackWentFirst));
    delegate->applicationDidFinishLaunchingWithOptions(Application::sharedApplication(), nullptr);
    Application::resetSharedApplication();  // the key window link is weak; drop it anyway
    delegate.reset();
    EXPECT_TRUE(stackWentFirst);
}

// The real entry path: the main window layout of the bundle creates and connects
// everything; the launch line is logged; the run loop then serves the app.
TEST(PeltoAppDelegateTest, LaunchesThroughTheMainWindowLayout) {
    registerApplicationClasses();
    std::string bundle = platform::Bundle::mainBundle()->bundlePath().string();
    std::vector<std::string> arguments = {"soundboard", "--headless", "--bundle", bundle};
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    bool checked = false;
    platform::RunLoop::main().post([&] {
        auto delegate = std::dynamic_pointer_cast<PeltoAppDelegate>(
            Application::sharedApplication().delegatePointer());
        ASSERT_TRUE(delegate);
        ASSERT_TRUE(delegate->window && delegate->navigationController);
        EXPECT_TRUE(delegate->window->isKeyWindow());
        const auto& stack = delegate->navigationController->viewControllers();
        ASSERT_EQ(stack.size(), 1u);
        auto* root = dynamic_cast<MainPage*>(stack.front().get());
        ASSERT_TRUE(root);
        EXPECT_GT(root->RootTable->numberOfRowsInSection(0), 0);
        EXPECT_TRUE(root->vibeSwitch && root->optionView && root->Ad);
        // Below the 44-point navigation bar of the 320x480 window.
        EXPECT_EQ(root->view()->frame(), (platform::Rect{0, 44, 320, 436}));
        EXPECT_EQ(root->view()->superview(), delegate->navigationController->view().get());
        checked = true;
        Application::sharedApplication().terminate(0);
    });
    platform::LogCapture capture;
    int status = platform::UIApplicationMain(static_cast<int>(arguments.size()), argv.data(),
                                             nullptr, nullptr);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(checked);
    EXPECT_EQ(capture.count("Application Did Finish Launching"), 1u);
    EXPECT_EQ(capture.count("Application Will Terminate"), 1u);
    Application::resetSharedApplication();
}

}  // namespace
