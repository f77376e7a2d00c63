// Window events become the application's lifecycle events, in the order a
// phone delivers them.

#include "HostSession.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Host/Window/RunLoopBridge.h"
#include "Platform/UI/LifecycleTracker.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

using platform::Application;
using platform::LifecycleTracker;
using State = LifecycleTracker::State;

class RecordingDelegate : public platform::ApplicationDelegate {
  public:
    std::vector<std::string> events;
    void applicationWillResignActive(Application&) override { events.push_back("resign"); }
    void applicationDidEnterBackground(Application&) override { events.push_back("background"); }
    void applicationWillEnterForeground(Application&) override { events.push_back("foreground"); }
    void applicationDidBecomeActive(Application&) override { events.push_back("active"); }
    void applicationWillTerminate(Application&) override { events.push_back("terminate"); }
};

TEST(LifecycleTrackerTest, WindowEventsGiveThePhoneOrderOfLifecycleEvents) {
    using Event = void (LifecycleTracker::*)();
    const Event activate = &LifecycleTracker::windowActivated;
    const Event deactivate = &LifecycleTracker::windowDeactivated;
    const Event minimize = &LifecycleTracker::windowMinimized;
    const Event restore = &LifecycleTracker::windowRestored;
    const struct {
        const char* name;
        std::vector<Event> window;
        std::vector<std::string> delivered;
        State end;
    } cases[] = {
        {"shown", {activate}, {"active"}, State::kActive},
        {"focus leaves and returns",
         {activate, deactivate, activate},
         {"active", "resign", "active"},
         State::kActive},
        {"minimised while active",
         {activate, minimize},
         {"active", "resign", "background"},
         State::kBackground},
        {"restored and focused",
         {activate, minimize, restore, activate},
         {"active", "resign", "background", "foreground", "active"},
         State::kActive},
        {"focused while minimised",
         {activate, minimize, activate},
         {"active", "resign", "background", "foreground", "active"},
         State::kActive},
        {"repeats change nothing",
         {activate, activate, deactivate, deactivate, minimize, minimize},
         {"active", "resign", "background"},
         State::kBackground},
        {"minimised before it was ever active",
         {minimize, restore},
         {"background", "foreground"},
         State::kInactive},
        {"restored without being minimised", {restore, deactivate}, {}, State::kInactive},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        Application::resetSharedApplication();
        auto& application = Application::sharedApplication();
        auto delegate = std::make_shared<RecordingDelegate>();
        application.setDelegate(delegate);
        LifecycleTracker tracker(application);
        for (Event event : item.window) (tracker.*event)();
        EXPECT_EQ(delegate->events, item.delivered);
        EXPECT_EQ(tracker.state(), item.end);
    }
}

TEST(LifecycleTrackerTest, NothingFollowsTermination) {
    auto& application = Application::sharedApplication();
    auto delegate = std::make_shared<RecordingDelegate>();
    application.setDelegate(delegate);
    LifecycleTracker tracker(application);
    tracker.windowActivated();
    application.terminate(0);
    tracker.windowDeactivated();
    tracker.windowMinimized();
    tracker.windowActivated();
    EXPECT_EQ(delegate->events, (std::vector<std::string>{"active", "terminate"}));
}

TEST(HostLifecycleTest, TheWindowsEventsReachTheDelegateInOrder) {
    platform::LogCapture log;
    const int status = hosttest::runSession([](hosttest::Session& session) {
        EXPECT_EQ(session.window.lifecycleState(), State::kActive) << "shown windows get the focus";
        session.window.showMinimized();
        QCoreApplication::processEvents();
        session.window.showNormal();
        session.window.activateWindow();
        QCoreApplication::processEvents();

        // Closing ends the application: Qt's loop returns the termination status.
        platform::RunLoopBridge bridge(session.application);
        session.window.close();
        EXPECT_TRUE(session.application.isTerminating());
        EXPECT_EQ(QCoreApplication::exec(), 0);
    });
    EXPECT_EQ(status, 0);
    std::vector<std::string> lifecycle;
    for (const auto& message : log.messages()) {
        if (message.starts_with("Application ")) lifecycle.push_back(message);
    }
    EXPECT_EQ(lifecycle, (std::vector<std::string>{
                             "Application Did Finish Launching",
                             "Application Did Become Active",
                             "Application Will Resign Active",
                             "Application Did Enter Background",
                             "Application Will Enter Foreground",
                             "Application Did Become Active",
                             "Application Will Terminate",
                         }));
}

}  // namespace

namespace {

// The window's title, accessible name and description and its icon come from
// the bundle's Info.plist, not from the host.
TEST(HostWindowIdentityTest, NameDescriptionAndIconComeFromTheBundle) {
    hosttest::runSession([](hosttest::Session& session) {
        auto bundle = platform::Bundle::mainBundle();
        ASSERT_NE(bundle, nullptr);
        const auto name = bundle->stringForInfoKey("CFBundleDisplayName");
        const auto description = bundle->stringForInfoKey("SBWindowAccessibleDescription");
        ASSERT_TRUE(name && description);
        // The main page names the category it lists before the application's name.
        EXPECT_EQ(session.window.windowTitle().toStdString(), "Classics \u2014 " + *name);
        EXPECT_EQ(session.window.accessibleName().toStdString(), *name);
        EXPECT_EQ(session.window.accessibleDescription().toStdString(), *description);
        EXPECT_FALSE(session.window.windowIcon().isNull());
    });
}

}  // namespace
