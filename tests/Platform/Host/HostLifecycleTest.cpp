// Window events become the application's lifecycle events, in the order a
// phone delivers them.

#include "../../support/RecordingDelegate.h"
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

using sbtest::RecordingDelegate;

TEST(HostLifecycleTest, TheWindowsEventsReachTheDelegateInOrder) {
    platform::LogCapture log;
    std::shared_ptr<RecordingDelegate> recorder;
    const int status = hosttest::runSession([&recorder](hosttest::Session& session) {
        EXPECT_EQ(session.window.lifecycleState(), State::kActive) << "shown windows get the focus";
        // From here on the launched delegate's events are also recorded as they arrive.
        recorder = std::make_shared<RecordingDelegate>(session.application.delegatePointer());
        session.application.setDelegate(recorder);
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
    ASSERT_NE(recorder, nullptr);
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"resign", "background", "foreground",
                                                          "active", "terminate"}));
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
