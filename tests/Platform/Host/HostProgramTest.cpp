// The real program with its window on Qt's offscreen platform, run as a child:
// how it ends, its signals, its screenshots, and its answer to a missing display.

#include "ProgramRun.h"

#include "../../support/TestEnvironment.h"
#include "Classes/Desktop/ScreenshotTourOfPages.h"
#include "Platform/Host/Window/DisplayAvailability.h"
#include "Platform/Host/Window/HostOptions.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include <set>

namespace {

using hosttest::ProgramRun;

const std::string kBundle = SB_HOST_SOURCE_BUNDLE;

std::string describe(const ProgramRun& run) {
    std::string all;
    for (const auto& line : run.lines()) all += line + "\n";
    return all;
}

TEST(HostProgramTest, SigtermClosesTheWindowWithStatusZeroAndTheTerminateLine) {
    ProgramRun run({"--bundle", kBundle, "--report-first-frame"});
    ASSERT_TRUE(run.started());
    ASSERT_TRUE(run.waitForLine(platform::HostOptions::kFirstFrameLine)) << describe(run);
    ASSERT_TRUE(run.waitForLine("Application Did Become Active")) << describe(run);

    run.sendSignal(SIGUSR1);
    ASSERT_TRUE(run.waitForLine("Application Did Receive Memory Warning")) << describe(run);
    run.sendSignal(SIGTERM);
    const int status = run.finish();
    ASSERT_TRUE(WIFEXITED(status)) << describe(run);
    EXPECT_EQ(WEXITSTATUS(status), 0) << describe(run);
    EXPECT_EQ(run.countLinesContaining("Application Will Terminate"), 1u) << describe(run);
    EXPECT_EQ(run.countLinesContaining("Application Did Receive Memory Warning"), 1u);
}

TEST(HostProgramTest, QuitAfterTheFirstFrameEndsNormally) {
    ProgramRun run({"--bundle", kBundle, "--quit-after-first-frame"});
    const int status = run.finish();
    ASSERT_TRUE(WIFEXITED(status)) << describe(run);
    EXPECT_EQ(WEXITSTATUS(status), 0) << describe(run);
    EXPECT_EQ(run.countLinesContaining(platform::HostOptions::kFirstFrameLine), 1u);
    EXPECT_EQ(run.countLinesContaining("Application Will Terminate"), 1u) << describe(run);
}

TEST(HostProgramTest, ScreenshotsShowEveryScreenAtTheWindowsSize) {
    const auto folder = sbtest::tempDir() / "shots";
    // Without a display the pictures are made offscreen all the same.
    ProgramRun run({"--bundle", kBundle, "--screenshot", folder.string()},
                   {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"});
    const int status = run.finish();
    ASSERT_TRUE(WIFEXITED(status)) << describe(run);
    ASSERT_EQ(WEXITSTATUS(status), 0) << describe(run);

    std::set<QByteArray> pictures;
    const auto names = screenshotTourOfPages().pictureNames();
    ASSERT_EQ(names, (std::vector<std::string>{"main", "main-2x", "options", "play", "favourites",
                                               "info", "search", "pads"}));
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const QImage picture(QString::fromStdString((folder / (name + ".png")).string()));
        ASSERT_FALSE(picture.isNull());
        // The window at 2x is drawn at twice the pixels, not blown up from 1x.
        EXPECT_EQ(picture.size(), name == "main-2x" ? QSize(640, 960) : QSize(320, 480));
        // A blank picture has one colour; a drawn screen has bar, text and pictures.
        std::set<QRgb> colours;
        for (int y = 0; y < picture.height(); y += 2) {
            for (int x = 0; x < picture.width(); x += 2) colours.insert(picture.pixel(x, y));
        }
        EXPECT_GT(colours.size(), 50u);
        pictures.insert(QByteArray(reinterpret_cast<const char*>(picture.constBits()),
                                   static_cast<int>(picture.sizeInBytes())));
    }
    EXPECT_EQ(pictures.size(), names.size()) << "every picture looks different";
    // The walk marked a favourite on settings of its own: the user's are untouched.
    EXPECT_FALSE(
        std::filesystem::exists(sbtest::tempDir() / "home/.config/org.soundboard.Soundboard"));
}

TEST(HostProgramTest, WithoutADisplayItSaysHowToRunInOneLineAndExitsWithOne) {
    ProgramRun run({"--bundle", kBundle},
                   {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"});
    const int status = run.finish();
    ASSERT_TRUE(WIFEXITED(status)) << describe(run);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    ASSERT_EQ(run.lines().size(), 1u) << describe(run);
    EXPECT_EQ(run.lines().front(), platform::DisplayAvailability::noDisplayMessage());
}

TEST(HostProgramTest, ADisplayThatDoesNotAnswerIsNamedInOneLineAndExitsWithOne) {
    // No X server listens on so high a number; Qt would abort on it.
    ProgramRun run({"--bundle", kBundle}, {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY=:65123"});
    const int status = run.finish();
    ASSERT_TRUE(WIFEXITED(status)) << describe(run);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    ASSERT_EQ(run.lines().size(), 1u) << describe(run);
    EXPECT_EQ(run.lines().front(),
              platform::DisplayAvailability::unreachableDisplayMessage(":65123"));
}

// The X server going away under a running window (the session ending, Xvfb
// killed) ends the program with status 1 and one line: no crash, no report of
// a clean-up that ran half way.
TEST(HostProgramTest, ALostDisplayEndsTheWindowWithOneLine) {
    // -displayfd: the server picks a free display and names it once it listens.
    sbtest::ChildProcess::Options quiet;
    quiet.errors = sbtest::ChildProcess::Errors::Discard;
    sbtest::ChildProcess server(
        {"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "640x1000x24", "-nolisten", "tcp"},
        quiet);
    ASSERT_TRUE(server.started());
    const auto display = server.readLine();
    ASSERT_TRUE(display && !display->empty()) << "Xvfb named no display";
    ProgramRun run({"--bundle", kBundle, "--report-first-frame"},
                   {"QT_QPA_PLATFORM=xcb", "WAYLAND_DISPLAY", "DISPLAY=:" + *display});
    ASSERT_TRUE(run.waitForLine(platform::HostOptions::kFirstFrameLine)) << describe(run);
    ASSERT_TRUE(run.waitForLine("Application Did Become Active")) << describe(run);

    server.kill();
    server.wait();
    const int status = run.finish();
    ASSERT_TRUE(WIFEXITED(status)) << describe(run);
    EXPECT_EQ(WEXITSTATUS(status), 1) << describe(run);
    EXPECT_EQ(run.countLinesContaining("The connection to the display was lost; ending"), 1u)
        << describe(run);
    for (const char* trouble : {"X11 connection broke", "Sanitizer", "SUMMARY", "leak"}) {
        EXPECT_EQ(run.countLinesContaining(trouble), 0u) << trouble << "\n" << describe(run);
    }
}

TEST(HostProgramTest, HeadlessNeedsNoDisplay) {
    ProgramRun run({"--bundle", kBundle, "--headless"},
                   {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"});
    ASSERT_TRUE(run.waitForLine("Application Did Become Active")) << describe(run);
    run.sendSignal(SIGTERM);
    const int status = run.finish();
    ASSERT_TRUE(WIFEXITED(status)) << describe(run);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(DisplayAvailabilityTest, AWindowOpensOnlyWhereQtFindsADisplay) {
    const struct {
        const char* name;
        std::map<std::string, std::string> environment;
        bool opens;
    } cases[] = {
        {"nothing set", {}, false},
        {"empty DISPLAY", {{"DISPLAY", ""}}, false},
        {"X display", {{"DISPLAY", ":0"}}, true},
        {"Wayland display", {{"WAYLAND_DISPLAY", "wayland-0"}}, true},
        {"offscreen", {{"QT_QPA_PLATFORM", "offscreen"}}, true},
        {"vnc with options", {{"QT_QPA_PLATFORM", "vnc:size=800x600"}}, true},
        {"xcb without DISPLAY", {{"QT_QPA_PLATFORM", "xcb"}}, false},
        {"xcb with DISPLAY", {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":1"}}, true},
        {"wayland without a socket", {{"QT_QPA_PLATFORM", "wayland"}, {"DISPLAY", ":0"}}, false},
        {"a list, second usable", {{"QT_QPA_PLATFORM", "wayland;xcb"}, {"DISPLAY", ":0"}}, true},
        {"a list, none usable", {{"QT_QPA_PLATFORM", "wayland;xcb"}}, false},
        {"empty platform falls back", {{"QT_QPA_PLATFORM", ""}, {"DISPLAY", ":0"}}, true},
        {"X display that does not answer", {{"DISPLAY", ":9"}}, false},
        {"xcb on a display that does not answer",
         {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":9"}},
         false},
        {"offscreen whatever the display",
         {{"QT_QPA_PLATFORM", "offscreen"}, {"DISPLAY", ":9"}},
         true},
        {"Wayland beside a silent X display",
         {{"DISPLAY", ":9"}, {"WAYLAND_DISPLAY", "w-1"}},
         true},
    };
    // The probe's answer: display ":9" is gone, every other one answers.
    const auto xServerAnswers = [](std::string_view display) { return display != ":9"; };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.name);
        const auto problem = platform::DisplayAvailability::problem(
            [&](std::string_view name) -> std::optional<std::string> {
                auto found = item.environment.find(std::string(name));
                if (found == item.environment.end()) return std::nullopt;
                return found->second;
            },
            xServerAnswers);
        EXPECT_EQ(!problem.has_value(), item.opens);
        if (problem) {
            EXPECT_EQ(problem->find('\n'), std::string::npos);
            // Written for whoever runs the installed program: its own options, no make.
            EXPECT_NE(problem->find("soundboard --headless"), std::string::npos);
            EXPECT_NE(problem->find("xvfb-run soundboard"), std::string::npos);
            EXPECT_EQ(problem->find("make"), std::string::npos);
        }
    }
}

TEST(DisplayAvailabilityTest, ALocalXServerAnswersOnlyWhileItsSocketListens) {
    // A stand-in server on the abstract socket libxcb tries first.
    const int number = 60000 + static_cast<int>(::getpid() % 5000);
    const std::string name = "/tmp/.X11-unix/X" + std::to_string(number);
    const std::string display = ":" + std::to_string(number);
    const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(server, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    ASSERT_EQ(::bind(server, reinterpret_cast<const sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(server, 4), 0);

    const struct {
        std::string display;
        bool answers;
    } listening[] = {
        {display, true},
        {display + ".0", true},
        {"unix" + display, true},
        // Names the probe leaves to Qt.
        {"remote.example:0", true},
        {"garbage", true},
        {display + ".x", true},
    };
    for (const auto& item : listening) {
        SCOPED_TRACE(item.display);
        EXPECT_EQ(platform::DisplayAvailability::localXServerAnswers(item.display), item.answers);
    }
    ::close(server);
    EXPECT_FALSE(platform::DisplayAvailability::localXServerAnswers(display));
    EXPECT_FALSE(platform::DisplayAvailability::localXServerAnswers(display + ".0"));
}

}  // namespace
