// Window events become the application's lifecycle events, in the order a
// phone delivers them: the tracker needs no window to be told them.

#include "../../support/RecordingDelegate.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/LifecycleTracker.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using platform::Application;
using platform::LifecycleTracker;
using State = LifecycleTracker::State;

using sbtest::RecordingDelegate;

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
    Application::resetSharedApplication();
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
    Application::resetSharedApplication();
}

}  // namespace
