// The remote with the application in process, reached over the loopback as a
// phone reaches it: the page hears of whatever plays on the computer, however
// it was started, and a pairing outlives a restart until Forget All.

#include "Classes/CommandNames.h"
#include "Classes/Desktop/DesktopPreferences.h"
#include "Classes/PeltoAppDelegate.h"
#include "Classes/PlayPage.h"
#include "Classes/Remote/RemoteControl.h"
#include "Classes/Remote/RemoteRequestHandler.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/UI/Application.h"
#include "tests/Classes/PageHarness.h"
#include "tests/support/TestEnvironment.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace {

namespace fs = std::filesystem;

const char* const kCatalogue =
    "<Sounds>\n"
    "  <DT title=\"Horns\">\n"
    "    <DS audio_no=\"1\" label=\"Air Horn\"/>\n"
    "    <DS audio_no=\"2\" label=\"Bell\"/>\n"
    "  </DT>\n"
    "</Sounds>\n";

platform::FileDescriptor connectTo(std::uint16_t port) {
    platform::FileDescriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return platform::FileDescriptor();
    }
    return socket;
}

// One request on a connection of its own; HTTP/1.0, so the answer (an event
// stream included) comes unchunked and the server closes when it is done.
platform::FileDescriptor send(std::uint16_t port, const std::string& method,
                              const std::string& target, const std::string& cookie = {}) {
    platform::FileDescriptor socket = connectTo(port);
    const std::string host = "127.0.0.1:" + std::to_string(port);
    std::string request = method + " " + target + " HTTP/1.0\r\nHost: " + host +
                          "\r\nOrigin: http://" + host + "\r\n";
    if (!cookie.empty()) request += "Cookie: " + cookie + "\r\n";
    request += "\r\n";
    if (::send(socket.get(), request.data(), request.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(request.size())) {
        return platform::FileDescriptor();
    }
    return socket;
}

// Reads into `got` until `done` says so, the peer closes, or 10 s pass without
// data; `between` runs whenever no data has come for a moment (the program's
// own tick, which this harness's manual clock does not run).
bool readUntil(int fd, std::string& got, const std::function<bool(const std::string&)>& done,
               const std::function<void()>& between = {}) {
    char buffer[4096];
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done(got)) {
        if (std::chrono::steady_clock::now() > giveUp) return false;
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, 20);
        if (polled < 0) return false;
        if (polled == 0) {
            if (between) between();
            continue;
        }
        const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
        if (count <= 0) return done(got);
        got.append(buffer, static_cast<std::size_t>(count));
    }
    return true;
}

std::string answer(std::uint16_t port, const std::string& method, const std::string& target,
                   const std::string& cookie = {}) {
    platform::FileDescriptor socket = send(port, method, target, cookie);
    std::string got;
    readUntil(socket.get(), got, [](const std::string&) { return false; });
    return got;
}

int statusOf(const std::string& response) {
    return response.rfind("HTTP/1.", 0) == 0 && response.size() > 12
               ? std::stoi(response.substr(9, 3))
               : 0;
}

std::string keyOf(const std::string& address) {
    const std::size_t key = address.find("key=");
    return key == std::string::npos ? std::string() : address.substr(key + 4);
}

class RemoteControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const fs::path bundle = pagetest::makeBundle(kCatalogue, {"1", "2"});
        fs::copy(sbtest::sourceBundle() / "Remote", bundle / "Remote",
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        pagetest::useBundle(bundle);
        app.launch();
        delegate->navigationController = std::static_pointer_cast<platform::NavigationController>(
            app.navigation().shared_from_this());
        platform::Application::sharedApplication().setDelegate(delegate);
        ASSERT_TRUE(remote.start());
    }
    void TearDown() override {
        remote.stop();
        platform::stopAllSystemSounds();
        platform::Application::sharedApplication().setDelegate(nullptr);
    }

    // Pairs with the secret `key` and gives the session cookie.
    std::string pair(const std::string& key) {
        const std::string got = answer(remote.port(), "GET", "/pair?key=" + key);
        const std::size_t start = got.find(RemoteRequestHandler::kCookieName);
        if (statusOf(got) != 303 || start == std::string::npos) return {};
        return got.substr(start, got.find(';', start) - start);
    }

    pagetest::PageHarness app;
    std::shared_ptr<PeltoAppDelegate> delegate = std::make_shared<PeltoAppDelegate>();
    RemoteControl& remote = RemoteControl::shared();
};

TEST_F(RemoteControlTest, ThePageShowsWhatPlaysWhoeverStartedItAndShowsItStopping) {
    const std::string cookie = pair(keyOf(remote.pairingAddress()));
    ASSERT_FALSE(cookie.empty());
    platform::FileDescriptor events = send(remote.port(), "GET", "/api/events", cookie);
    std::string stream;
    ASSERT_TRUE(readUntil(events.get(), stream, [](const std::string& got) {
        return got.find("event: state") != std::string::npos;
    }));

    struct Case {
        const char* trigger;
        std::function<void()> start;
    };
    const Case cases[] = {
        {"a pad, a hotkey or another program (the command by name)",
         [] {
             platform::Application::sharedApplication().sendCommand(command_names::kPlaySound, "1");
         }},
        {"the play page's button",
         [this] {
             app.mainPage().RootTable->tapRowAtIndexPath({0, 0});
             auto* page = app.topAs<PlayPage>();
             ASSERT_NE(page, nullptr);
             pagetest::button(*page, "Play").sendActions();
         }},
    };
    const auto refresh = [this] { remote.refresh(); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.trigger);
        stream.clear();
        c.start();
        EXPECT_TRUE(readUntil(
            events.get(), stream,
            [](const std::string& got) {
                return got.find("data: {\"playing\":[\"1\"]") != std::string::npos;
            },
            refresh))
            << stream;
        stream.clear();
        platform::stopAllSystemSounds();
        EXPECT_TRUE(readUntil(
            events.get(), stream,
            [](const std::string& got) {
                return got.find("data: {\"playing\":[]") != std::string::npos;
            },
            refresh))
            << stream;
    }
}

TEST_F(RemoteControlTest, APairingOutlivesARestartUntilForgetAll) {
    const std::string address = remote.pairingAddress();
    const std::string cookie = pair(keyOf(address));
    ASSERT_FALSE(cookie.empty());

    // Kept for the user alone, and nowhere else.
    const fs::path kept = RemoteControl::pairingFile();
    ASSERT_TRUE(fs::exists(kept));
    EXPECT_EQ(fs::status(kept).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(sbtest::readFile(DesktopPreferences::file()).find(keyOf(address)), std::string::npos);

    struct Step {
        const char* what;
        std::function<void()> before;
        bool keepsShown;  // the secret shown before the restart still pairs after it
        int oldCookie;    // what the first session's request for the board gets
        int firstSecret;  // what pairing with the first secret gets
    };
    const Step steps[] = {
        {"a restart", [] {}, true, 200, 303},
        {"a restart after Forget All", [this] { remote.forgetAll(); }, true, 401, 403},
        {"a restart after the file was spoilt",
         [kept] { sbtest::writeFile(kept, "{\"secret\": \"short\"}"); }, false, 401, 403},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.before();
        const std::string shown = remote.pairingAddress();
        remote.stop();
        ASSERT_TRUE(remote.start());
        const std::string now = remote.pairingAddress();
        EXPECT_EQ(now.substr(0, now.find("key=")), address.substr(0, address.find("key=")))
            << "the same port";
        EXPECT_EQ(keyOf(now) == keyOf(shown), step.keepsShown);
        EXPECT_EQ(keyOf(now).size(), keyOf(address).size());
        EXPECT_EQ(statusOf(answer(remote.port(), "GET", "/api/board", cookie)), step.oldCookie);
        EXPECT_EQ(statusOf(answer(remote.port(), "GET", "/pair?key=" + keyOf(address))),
                  step.firstSecret);
        EXPECT_EQ(fs::status(kept).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write);
    }
}

}  // namespace
