#include "PageTestSupport.h"

#include "Platform/Foundation/Log.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/UI/ApplicationHost.h"

#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

extern char** environ;

namespace {

using platform::Application;
using platform::LaunchArguments;
using platform::LogCapture;
using uitest::events;
using Events = std::vector<std::string>;

// An argv for the functions that take one, kept alive with its strings.
class Arguments {
  public:
    Arguments(std::initializer_list<std::string> arguments) : m_strings(arguments) { point(); }
    Arguments(const Arguments& other) : m_strings(other.m_strings) { point(); }
    Arguments& operator=(const Arguments&) = delete;
    int argc() const { return static_cast<int>(m_strings.size()); }
    char** argv() { return m_pointers.data(); }

  private:
    void point() {
        for (auto& argument : m_strings) m_pointers.push_back(argument.data());
        m_pointers.push_back(nullptr);
    }
    std::vector<std::string> m_strings;
    std::vector<char*> m_pointers;
};

// A bundle whose Info.plist names the main window layout "Shell", which makes
// a RecordingDelegate, a window and a stack whose root is a RecordingPage.
std::filesystem::path writeApplicationBundle() {
    platform::LayoutRegistry::registerClass<uitest::RecordingDelegate>("RecordingDelegate");
    platform::LayoutRegistry::registerClass<uitest::RecordingPage>("RootPage");
    return uitest::writeBundleFolder({
        {"Info.plist", R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>NSMainNibFile</key><string>Shell</string></dict></plist>)"},
        {"Root.layout", uitest::plainLayout("RootPage")},
        {"Shell.layout", R"(<layout>
  <object id="delegate" class="RecordingDelegate" role="applicationDelegate"/>
  <Window id="window" frame="0,0,320,480"/>
  <NavigationController id="navigation"><page class="RootPage" layout="Root"/></NavigationController>
  <connect object="delegate" outlet="window" to="window"/>
  <connect object="delegate" outlet="navigationController" to="navigation"/>
</layout>)"},
    });
}

TEST(ApplicationTest, LifecycleEventsReachTheDelegateOnceEach) {
    auto& application = Application::sharedApplication();
    application.setDelegate(std::make_shared<uitest::RecordingDelegate>());
    const struct {
        void (Application::*deliver)();
        const char* event;
    } cases[] = {
        {&Application::didBecomeActive, "delegate:active"},
        {&Application::willResignActive, "delegate:resign"},
        {&Application::didEnterBackground, "delegate:background"},
        {&Application::willEnterForeground, "delegate:foreground"},
        {&Application::didReceiveMemoryWarning, "delegate:memory"},
    };
    for (const auto& c : cases) {
        events().clear();
        (application.*c.deliver)();
        EXPECT_EQ(events(), Events{c.event});
    }
    // Without a delegate, deliveries do nothing.
    application.setDelegate(nullptr);
    events().clear();
    for (const auto& c : cases) (application.*c.deliver)();
    EXPECT_TRUE(events().empty());
}

TEST(ApplicationTest, TerminateTellsTheDelegateOnceAndEndsTheRunLoopWithItsStatus) {
    auto& application = Application::sharedApplication();
    application.setDelegate(std::make_shared<uitest::RecordingDelegate>());
    EXPECT_FALSE(application.isTerminating());
    application.terminate(3);
    application.terminate(4);
    EXPECT_TRUE(application.isTerminating());
    EXPECT_EQ(application.terminationStatus(), 3);
    EXPECT_EQ(events(), Events{"delegate:terminate"});
    EXPECT_EQ(platform::RunLoop::main().run(), 3) << "a stop before the loop runs ends it at once";
}

TEST(ApplicationTest, TheDelegateIsHeldAndLetGoOnReset) {
    auto delegate = std::make_shared<uitest::RecordingDelegate>();
    std::weak_ptr<uitest::RecordingDelegate> watched = delegate;
    Application::sharedApplication().setDelegate(std::move(delegate));
    EXPECT_FALSE(watched.expired());
    EXPECT_EQ(Application::sharedApplication().delegate(), watched.lock().get());
    Application::resetSharedApplication();
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(Application::sharedApplication().delegate(), nullptr);
}

TEST(ApplicationTest, OpenURLHandsTheURLToTheOpenerAndReportsItsAnswer) {
    auto& application = Application::sharedApplication();
    std::vector<std::string> opened;
    for (bool answer : {true, false}) {
        application.setURLOpener([&, answer](const platform::URL& url) {
            opened.push_back(url.absoluteString());
            return answer;
        });
        auto url = platform::URL::URLWithString("http://example.com/" + std::to_string(answer));
        ASSERT_TRUE(url);
        EXPECT_EQ(application.openURL(*url), answer);
    }
    EXPECT_EQ(opened, (Events{"http://example.com/1", "http://example.com/0"}));
}

// Reads a FIFO until its writer closes it; waits at most 60 s for the writer.
std::optional<std::string> readFifo(const std::filesystem::path& path) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string contents;
    bool sawData = false;
    while (true) {
        pollfd ready{fd, POLLIN, 0};
        int polled = poll(&ready, 1, 60000);
        if (polled < 0 && errno == EINTR) continue;
        if (polled <= 0) break;
        std::array<char, 512> chunk{};
        ssize_t count = read(fd, chunk.data(), chunk.size());
        if (count > 0) {
            sawData = true;
            contents.append(chunk.data(), static_cast<std::size_t>(count));
        } else if (count == 0 && sawData) {
            break;  // the writer closed its end
        } else if (count < 0 && errno != EAGAIN && errno != EINTR) {
            break;
        }
    }
    close(fd);
    return sawData ? std::optional<std::string>(contents) : std::nullopt;
}

TEST(ApplicationTest, TheDefaultOpenerGivesTheWholeURLAsOneArgumentWithoutAShell) {
    auto fifo = sbtest::tempDir() / "arguments";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto handler = sbtest::tempDir() / "handler.sh";
    sbtest::writeFile(handler,
                      "#!/bin/sh\n{ printf '%s\\n' \"$#\"; for argument in \"$@\"; do "
                      "printf '[%s]\\n' \"$argument\"; done; } > '" +
                          fifo.string() + "'\n");
    std::filesystem::permissions(handler, std::filesystem::perms::owner_all);
    setenv("SOUNDBOARD_URL_HANDLER", handler.c_str(), 1);
    EXPECT_EQ(Application::urlHandlerProgram(), handler.string());

    const std::string text = "http://example.com/a;b&c?q=$(touch%20pwned)&r='x'*!+$HOME";
    auto url = platform::URL::URLWithString(text);
    ASSERT_TRUE(url);
    ASSERT_TRUE(Application::sharedApplication().openURL(*url));
    auto received = readFifo(fifo);
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ(*received, "1\n[" + text + "]\n");
    EXPECT_FALSE(std::filesystem::exists("pwned"));
}

TEST(ApplicationTest, TheDefaultOpenerReportsWhetherTheHandlerStarted) {
    auto handler = sbtest::tempDir() / "true.sh";
    sbtest::writeFile(handler, "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(handler, std::filesystem::perms::owner_all);
    const struct {
        std::string handler;
        const char* url;
        bool started;
    } cases[] = {
        {handler.string(), "http://example.com/", true},
        {(sbtest::tempDir() / "absent.sh").string(), "http://example.com/", false},
        {"no-such-program-for-urls", "http://example.com/", false},
        {handler.string(), "-x", false},  // would read as an option
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        setenv("SOUNDBOARD_URL_HANDLER", c.handler.c_str(), 1);
        auto url = platform::URL::URLWithString(c.url);
        ASSERT_TRUE(url);
        EXPECT_EQ(Application::openWithXdgOpen(*url), c.started) << c.handler;
    }
    unsetenv("SOUNDBOARD_URL_HANDLER");
    EXPECT_EQ(Application::urlHandlerProgram(), "xdg-open");
}

TEST(ApplicationTest, LaunchArgumentsAreParsed) {
    const struct {
        Arguments arguments;
        std::string bundle;
        bool headless;
        std::string screenshots;
        Events rest;
        bool error;
    } cases[] = {
        {{"soundboard"}, "", false, "", {}, false},
        {{"soundboard", "--headless"}, "", true, "", {}, false},
        {{"soundboard", "--bundle", "/b", "--screenshot", "/s"}, "/b", false, "/s", {}, false},
        {{"soundboard", "--bundle=/b", "--screenshot=/s", "--headless"},
         "/b",
         true,
         "/s",
         {},
         false},
        {{"soundboard", "-platform", "offscreen", "--bundle", "/b"},
         "/b",
         false,
         "",
         {"-platform", "offscreen"},
         false},
        {{"soundboard", "--bundle"}, "", false, "", {}, true},
        {{"soundboard", "--bundle="}, "", false, "", {}, true},
        {{"soundboard", "--screenshot"}, "", false, "", {}, true},
        {{"soundboard", "--bundles", "x"}, "", false, "", {"--bundles", "x"}, false},
        {{"soundboard", "--quit-after-first-frame", "-platform", "offscreen"},
         "",
         false,
         "",
         {"--quit-after-first-frame", "-platform", "offscreen"},
         false},
        {{"soundboard", "--bundle", "/a", "--bundle=/b"}, "/a", false, "", {}, true},
        {{"soundboard", "--headless=yes"}, "", false, "", {}, true},
    };
    for (auto c : cases) {
        auto parsed = LaunchArguments::parse(c.arguments.argc(), c.arguments.argv());
        SCOPED_TRACE(c.bundle + " " + c.screenshots);
        EXPECT_EQ(parsed.programName, "soundboard");
        EXPECT_EQ(parsed.bundlePath, c.bundle);
        EXPECT_EQ(parsed.headless, c.headless);
        EXPECT_EQ(parsed.screenshotDir, c.screenshots);
        EXPECT_EQ(parsed.rest, c.rest);
        EXPECT_EQ(parsed.error.has_value(), c.error);
    }
    EXPECT_EQ(LaunchArguments::parse(0, nullptr).programName, "");
}

TEST(ApplicationTest, TheLaunchShowsTheWindowBeforeTheDelegateLogsAndTheLoopRunsUntilTerminate) {
    auto bundle = writeApplicationBundle();
    std::weak_ptr<uitest::RecordingDelegate> watched;
    uitest::RecordingDelegate::afterLaunch = [&](uitest::RecordingDelegate& delegate) {
        watched = std::static_pointer_cast<uitest::RecordingDelegate>(
            Application::sharedApplication().delegatePointer());
        EXPECT_EQ(&delegate, watched.lock().get());
    };
    uitest::RecordingDelegate::afterEvent = [](const std::string& event) {
        if (event == "active") Application::sharedApplication().terminate(5);
    };
    Arguments arguments{"soundboard", "--headless", "--bundle", bundle.string()};
    LogCapture log;
    int status = platform::UIApplicationMain(arguments.argc(), arguments.argv(), nullptr, nullptr);

    EXPECT_EQ(status, 5);
    EXPECT_EQ(events(),
              (Events{"page:viewDidLoad", "page:viewWillAppear", "delegate:launch key+visible",
                      "delegate:active", "delegate:terminate"}));
    EXPECT_TRUE(log.messages().empty());
    EXPECT_TRUE(watched.expired()) << "the application lets go of everything it launched";
    EXPECT_EQ(Application::sharedApplication().delegate(), nullptr);
    EXPECT_EQ(Application::sharedApplication().keyWindow(), nullptr);
}

TEST(ApplicationTest, ALaunchThatCannotStartLogsOneLineAndExitsWithOne) {
    auto good = writeApplicationBundle();
    auto noLayout = uitest::writeBundleFolder({}, "empty");
    auto broken =
        uitest::writeBundleFolder({{"MainWindow.layout", "<layout><Dialog/></layout>"}}, "broken");
    const struct {
        const char* name;
        Arguments arguments;
        const char* principal;
        const char* delegate;
        const char* problem;
    } cases[] = {
        {"missing bundle",
         {"app", "--headless", "--bundle", (sbtest::tempDir() / "none").string()},
         nullptr,
         nullptr,
         "bundle not found"},
        {"option without value",
         {"app", "--headless", "--bundle"},
         nullptr,
         nullptr,
         "needs a value"},
        {"no main window layout",
         {"app", "--headless", "--bundle", noLayout.string()},
         nullptr,
         nullptr,
         "MainWindow.layout"},
        {"broken main window layout",
         {"app", "--headless", "--bundle", broken.string()},
         nullptr,
         nullptr,
         "unknown element <Dialog>"},
        {"unknown principal class",
         {"app", "--headless", "--bundle", good.string()},
         "Other",
         nullptr,
         "No application class"},
        {"unknown delegate class",
         {"app", "--headless", "--bundle", good.string()},
         nullptr,
         "Nobody",
         "No application delegate class"},
        {"delegate class of a page",
         {"app", "--headless", "--bundle", good.string()},
         nullptr,
         "RootPage",
         "No application delegate class"},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.name);
        events().clear();
        LogCapture log;
        EXPECT_EQ(platform::UIApplicationMain(c.arguments.argc(), c.arguments.argv(), c.principal,
                                              c.delegate),
                  1);
        auto lines = log.messages();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find(c.problem), std::string::npos) << lines[0];
        EXPECT_TRUE(events().empty()) << "nothing launched";
        platform::Bundle::resetMainBundle();
    }
}

// The probe program as a child: stdout through a pipe, stderr (the log) into a file.
sbtest::ChildProcess startProbe(const std::filesystem::path& bundle,
                                const std::filesystem::path& logFile) {
    sbtest::ChildProcess::Options options;
    options.errors = sbtest::ChildProcess::Errors::ToFile;
    options.errorFile = logFile;
    return sbtest::ChildProcess({SB_HEADLESS_PROBE, "--headless", "--bundle", bundle.string()},
                                options);
}

TEST(ApplicationTest, AHeadlessApplicationEndsCleanlyOnSigtermAndSigint) {
    auto bundle = uitest::writeBundleFolder({
        {"ProbePage.layout", uitest::pageLayout("ProbePage", "<View/>")},
        {"MainWindow.layout", R"(<layout>
  <object id="delegate" class="ProbeDelegate" role="applicationDelegate"/>
  <Window id="window" frame="0,0,320,480"/>
  <NavigationController id="navigation"><page class="ProbePage"/></NavigationController>
  <connect object="delegate" outlet="window" to="window"/>
  <connect object="delegate" outlet="navigationController" to="navigation"/>
</layout>)"},
    });
    for (int number : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(strsignal(number));
        auto logFile = sbtest::tempDir() / ("probe-" + std::to_string(number) + ".log");
        auto probe = startProbe(bundle, logFile);
        ASSERT_TRUE(probe.started());
        ASSERT_EQ(probe.readLine(), "ready") << sbtest::readFile(logFile);
        probe.sendSignal(number);
        int status = probe.wait();
        ASSERT_TRUE(WIFEXITED(status))
            << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        EXPECT_EQ(WEXITSTATUS(status), 0);

        std::string log = sbtest::readFile(logFile);
        auto launched = log.find("Probe Did Finish Launching");
        auto active = log.find("Probe Did Become Active");
        auto terminated = log.find("Probe Will Terminate");
        ASSERT_NE(terminated, std::string::npos) << log;
        EXPECT_LT(launched, active);
        EXPECT_LT(active, terminated);
        EXPECT_EQ(log.find("Probe Will Terminate", terminated + 1), std::string::npos) << "once";
    }
}

TEST(ApplicationTest, TheWindowHostRunsUnlessHeadlessIsAsked) {
    auto bundle = writeApplicationBundle();
    int hostRuns = 0;
    class CountingHost : public platform::ApplicationHost {
      public:
        explicit CountingHost(int& runs) : m_runs(runs) {}
        int run(Application& application, const LaunchArguments& arguments) override {
            ++m_runs;
            EXPECT_EQ(arguments.screenshotDir, "/shots");
            EXPECT_NE(application.delegate(), nullptr);
            return 9;
        }

      private:
        int& m_runs;
    };
    platform::setWindowHostFactory([&] { return std::make_unique<CountingHost>(hostRuns); });
    uitest::RecordingDelegate::afterEvent = [](const std::string& event) {
        if (event == "active") Application::sharedApplication().terminate(0);
    };

    Arguments windowed{"app", "--bundle", bundle.string(), "--screenshot", "/shots"};
    EXPECT_EQ(platform::UIApplicationMain(windowed.argc(), windowed.argv(), nullptr, nullptr), 9);
    EXPECT_EQ(hostRuns, 1);

    Arguments headless{"app", "--headless", "--bundle", bundle.string(), "--screenshot", "/shots"};
    EXPECT_EQ(platform::UIApplicationMain(headless.argc(), headless.argv(), nullptr, nullptr), 0);
    EXPECT_EQ(hostRuns, 1);
    platform::setWindowHostFactory(nullptr);
}

}  // namespace
