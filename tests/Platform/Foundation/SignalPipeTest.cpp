#include "Platform/Foundation/SignalPipe.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>
#include <vector>

namespace {

using platform::SignalPipe;

// The disposition a signal has right now.
void (*handlerOf(int signal))(int) {
    struct sigaction current {};
    sigaction(signal, nullptr, &current);
    return current.sa_handler;
}

TEST(SignalPipe, DeliversEachRaisedSignalInOrderAndOnlyWhenDrained) {
    SignalPipe pipe({SIGUSR1, SIGUSR2});
    ASSERT_TRUE(pipe.isActive());
    EXPECT_TRUE(pipe.drain().empty());
    ASSERT_EQ(std::raise(SIGUSR1), 0);
    ASSERT_EQ(std::raise(SIGUSR2), 0);
    ASSERT_EQ(std::raise(SIGUSR1), 0);
    EXPECT_EQ(pipe.drain(), (std::vector<int>{SIGUSR1, SIGUSR2, SIGUSR1}));
    EXPECT_TRUE(pipe.drain().empty()) << "each signal is delivered once";
}

TEST(SignalPipe, ASignalBelongsToOnePipeAtATime) {
    struct Case {
        std::vector<int> signals;
        bool active;
    };
    SignalPipe first({SIGUSR1});
    ASSERT_TRUE(first.isActive());
    const std::vector<Case> cases = {
        {{SIGUSR1}, false},
        {{SIGUSR2, SIGUSR1}, false},  // one taken signal spoils the whole pipe
        {{SIGUSR2, SIGUSR2}, true},   // named twice is named once
        {{0}, false},
        {{65}, false},
        {{-3}, false},
    };
    for (const auto& c : cases) {
        const auto before = handlerOf(SIGUSR2);
        {
            SignalPipe second(c.signals);
            EXPECT_EQ(second.isActive(), c.active) << c.signals.front();
        }
        EXPECT_EQ(handlerOf(SIGUSR2), before) << "nothing changed for an inactive pipe";
    }
    // The first pipe still has its signal.
    ASSERT_EQ(std::raise(SIGUSR1), 0);
    EXPECT_EQ(first.drain(), std::vector<int>{SIGUSR1});
}

TEST(SignalPipe, TheOldDispositionComesBackAndTheSignalIsFreeAgain) {
    const auto ignore = std::signal(SIGUSR2, SIG_IGN);
    {
        SignalPipe pipe({SIGUSR2});
        ASSERT_TRUE(pipe.isActive());
        EXPECT_NE(handlerOf(SIGUSR2), SIG_IGN);
    }
    EXPECT_EQ(handlerOf(SIGUSR2), SIG_IGN);
    {
        SignalPipe pipe({SIGUSR2});
        EXPECT_TRUE(pipe.isActive());
        pipe.stopWaiting();
        EXPECT_EQ(handlerOf(SIGUSR2), SIG_IGN) << "stopWaiting gives the signal back at once";
        EXPECT_FALSE(pipe.isActive());
    }
    std::signal(SIGUSR2, ignore);
}

TEST(SignalPipe, AWatcherThreadSeesEverySignalThenEndsWhenStopped) {
    SignalPipe pipe({SIGUSR1});
    ASSERT_TRUE(pipe.isActive());
    std::vector<int> seen;
    // Raised before the watcher starts: waitForSignals finds them pending.
    ASSERT_EQ(std::raise(SIGUSR1), 0);
    ASSERT_EQ(std::raise(SIGUSR1), 0);
    std::thread watcher([&] {
        while (pipe.waitForSignals()) {
            for (int signal : pipe.drain()) seen.push_back(signal);
        }
    });
    pipe.stopWaiting();
    watcher.join();
    EXPECT_EQ(seen, (std::vector<int>{SIGUSR1, SIGUSR1}));
}

}  // namespace
