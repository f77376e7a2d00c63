// The main run loop served from inside Qt's event loop, and signals turned
// into application events there.

#include "Platform/Foundation/RunLoop.h"
#include "Platform/Host/Window/MemoryWarningSignal.h"
#include "Platform/Host/Window/RunLoopBridge.h"
#include "Platform/UI/Application.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <signal.h>

#include <memory>

namespace {

using platform::Application;
using platform::RunLoop;
using platform::RunLoopBridge;

// Qt's core application for one test; the run loop and application are reset
// around every test by the test environment.
class QtLoop {
  public:
    QtLoop() : m_application(m_argc, m_argv) {}

  private:
    char m_name[16] = "host_tests";
    char* m_argv[2] = {m_name, nullptr};
    int m_argc = 1;
    QCoreApplication m_application;
};

class WarningDelegate : public platform::ApplicationDelegate {
  public:
    int warnings = 0;
    void applicationDidReceiveMemoryWarning(Application&) override { ++warnings; }
};

TEST(RunLoopBridgeTest, PostedEventsRunInsideQtsLoopAndEachBatchIsReported) {
    QtLoop qt;
    RunLoopBridge bridge(Application::sharedApplication());
    QSignalSpy serviced(&bridge, &RunLoopBridge::serviced);
    std::vector<int> ran;
    RunLoop::main().post([&] { ran.push_back(1); });
    RunLoop::main().post([&] { ran.push_back(2); });
    EXPECT_TRUE(ran.empty()) << "nothing runs inside post";
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_GE(serviced.count(), 1);
}

TEST(RunLoopBridgeTest, OneTimerIsArmedForTheNextDueTimeAndNoneWhenIdle) {
    QtLoop qt;
    RunLoopBridge bridge(Application::sharedApplication());
    QCoreApplication::processEvents();
    EXPECT_FALSE(bridge.armedInterval()) << "an idle loop arms nothing";

    auto later = RunLoop::main().scheduleTimer(30.0, [] {});
    auto sooner = RunLoop::main().scheduleTimer(5.0, [] {});
    QCoreApplication::processEvents();
    ASSERT_TRUE(bridge.armedInterval());
    EXPECT_GT(*bridge.armedInterval(), 4900);
    EXPECT_LE(*bridge.armedInterval(), 5000);

    sooner->invalidate();
    later->invalidate();
    bridge.serviceNow();
    EXPECT_FALSE(bridge.armedInterval());
}

TEST(RunLoopBridgeTest, ADueTimerFiresFromTheArmedQtTimer) {
    QtLoop qt;
    RunLoopBridge bridge(Application::sharedApplication());
    bool fired = false;
    RunLoop::main().scheduleTimer(0.0, [&] { fired = true; });
    QCoreApplication::processEvents();
    EXPECT_TRUE(fired);
}

TEST(RunLoopBridgeTest, ManualClocksAreNeverWaitedFor) {
    QtLoop qt;
    auto clock = std::make_shared<platform::ManualClock>();
    RunLoop::main().setClock(clock);
    RunLoopBridge bridge(Application::sharedApplication());
    bool fired = false;
    RunLoop::main().scheduleTimer(1.0, [&] { fired = true; });
    QCoreApplication::processEvents();
    EXPECT_FALSE(bridge.armedInterval());
    clock->advance(1.0);
    EXPECT_TRUE(fired);
}

TEST(RunLoopBridgeTest, TerminationEndsQtsLoopWithItsStatus) {
    const struct {
        const char* name;
        std::function<void()> end;
        int status;
    } cases[] = {
        {"directly", [] { Application::sharedApplication().terminate(3); }, 3},
        {"from a posted event",
         [] { RunLoop::main().post([] { Application::sharedApplication().terminate(0); }); }, 0},
        {"from a delayed call",
         [] {
             RunLoop::main().scheduleTimer(0,
                                           [] { Application::sharedApplication().terminate(5); });
         },
         5},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        Application::resetSharedApplication();
        RunLoop::main().reset();
        QtLoop qt;
        RunLoopBridge bridge(Application::sharedApplication());
        item.end();
        EXPECT_EQ(QCoreApplication::exec(), item.status);
    }
}

TEST(MemoryWarningSignalTest, SigusrOneBecomesOneWarningEachOnTheMainLoop) {
    QtLoop qt;
    auto& application = Application::sharedApplication();
    auto delegate = std::make_shared<WarningDelegate>();
    application.setDelegate(delegate);
    platform::MemoryWarningSignal handler(application);
    ASSERT_TRUE(handler.isActive());
    QSignalSpy delivered(&handler, &platform::MemoryWarningSignal::delivered);

    ASSERT_EQ(::raise(SIGUSR1), 0);
    ASSERT_EQ(::raise(SIGUSR1), 0);
    EXPECT_EQ(delegate->warnings, 0) << "the handler itself does nothing but note it";
    QCoreApplication::processEvents();
    EXPECT_EQ(delegate->warnings, 2);
    EXPECT_EQ(delivered.count(), 2);

    platform::MemoryWarningSignal second(application);
    EXPECT_FALSE(second.isActive()) << "one instance at a time";
}

TEST(MemoryWarningSignalTest, TheOldDispositionComesBackAfterwards) {
    QtLoop qt;
    struct sigaction before {};
    ASSERT_EQ(::sigaction(SIGUSR1, nullptr, &before), 0);
    {
        platform::MemoryWarningSignal handler(Application::sharedApplication());
        ASSERT_TRUE(handler.isActive());
    }
    struct sigaction after {};
    ASSERT_EQ(::sigaction(SIGUSR1, nullptr, &after), 0);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    platform::MemoryWarningSignal again(Application::sharedApplication());
    EXPECT_TRUE(again.isActive());
}

}  // namespace
