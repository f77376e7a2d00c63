// The server watch without a server: it sleeps until the folder where a
// server makes its socket has news, and then uses the server at once.

#include "Platform/Audio/ServerSockets.h"
#include "Platform/Audio/ServerWatch.h"
#include "tests/support/PrivateSoundServer.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace {

using namespace platform;
using namespace std::chrono_literals;
using sbtest::PrivateSoundServer;

struct SocketsCase {
    const char* title;
    std::map<std::string, std::string> environment;
    std::vector<std::string> sockets;
    bool remote;
};

TEST(ServerSockets, AreWhereTheClientLibraryLooks) {
    const std::vector<SocketsCase> cases{
        {"a unix server", {{"PULSE_SERVER", "unix:/tmp/a//native"}}, {"/tmp/a/native"}, false},
        {"a bare path and a machine's own",
         {{"PULSE_SERVER", "/srv/one {0123abcd}unix:/srv/two"}},
         {"/srv/one", "/srv/two"},
         false},
        {"a network server as well",
         {{"PULSE_SERVER", "tcp:box:4713 unix:/tmp/s"}},
         {"/tmp/s"},
         true},
        {"only a network server", {{"PULSE_SERVER", "box"}}, {}, true},
        {"a relative path is no socket", {{"PULSE_SERVER", "unix:here"}}, {}, true},
        {"the runtime path first",
         {{"PULSE_RUNTIME_PATH", "/r/p"}, {"XDG_RUNTIME_DIR", "/run/user/7"}},
         {"/r/p/native", "/run/pulse/native"},
         false},
        {"the desktop's runtime folder",
         {{"XDG_RUNTIME_DIR", "/run/user/7"}},
         {"/run/user/7/pulse/native", "/run/pulse/native"},
         false},
        {"an empty server setting counts as none",
         {{"PULSE_SERVER", ""}, {"XDG_RUNTIME_DIR", "/x"}},
         {"/x/pulse/native", "/run/pulse/native"},
         false},
        {"no runtime folder known", {}, {"/run/pulse/native"}, true},
    };
    for (const SocketsCase& test : cases) {
        SCOPED_TRACE(test.title);
        const ServerSockets places = ServerSockets::fromEnvironment(
            [&](const std::string& name) -> std::optional<std::string> {
                const auto found = test.environment.find(name);
                if (found == test.environment.end()) return std::nullopt;
                return found->second;
            });
        std::vector<std::string> sockets;
        for (const auto& socket : places.sockets) sockets.push_back(socket.string());
        EXPECT_EQ(sockets, test.sockets);
        EXPECT_EQ(places.remote, test.remote);
    }
}

// What a watch reported, for the test's thread to wait on.
class Reports {
  public:
    void add(const std::optional<SoundServerState>& state) {
        std::lock_guard lock(m_mutex);
        m_states.push_back(state);
        m_changed.notify_all();
    }
    bool waitFor(std::size_t count, std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_states.size() >= count; });
    }
    std::vector<std::optional<SoundServerState>> states() {
        std::lock_guard lock(m_mutex);
        return m_states;
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::optional<SoundServerState>> m_states;
};

TEST(ServerWatch, SleepsUntilAServerMakesItsSocketAndThenUsesIt) {
    // Neither the server's folder nor its socket exist when the watch starts.
    const auto folder = sbtest::tempDir() / "later" / "server";
    setenv("PULSE_SERVER", ("unix:" + (folder / "native").string()).c_str(), 1);
    Reports reports;
    ServerWatch watch([&](const std::optional<SoundServerState>& state) { reports.add(state); });
    ASSERT_TRUE(reports.waitFor(1, 10s));
    EXPECT_FALSE(reports.states().front().has_value());
    // Entries that are not the socket are no reason to look.
    std::filesystem::create_directories(folder / "unrelated");
    sbtest::writeFile(folder / "native.lock", "");

    EXPECT_EQ(watch.connectionAttempts(), 1u);

    PrivateSoundServer server(folder);
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(reports.waitFor(2, 10s)) << "the server that came later was never seen";
    const auto seen = reports.states().back();
    ASSERT_TRUE(seen.has_value());
    EXPECT_TRUE(seen->hasSink("alpha"));
    // The socket's entry sets off a try, and a few quick ones follow while the
    // daemon, whose socket is made, does not listen yet.
    EXPECT_LE(watch.connectionAttempts(), 2u + ServerWatch::kQuickRetries);

    // Gone and back at the same place: seen again.
    server.kill();
    ASSERT_TRUE(reports.waitFor(3, 10s));
    EXPECT_FALSE(reports.states().back().has_value());
    const unsigned attemptsWhileGone = watch.connectionAttempts();
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(reports.waitFor(4, 10s)) << "the restarted server was never seen";
    EXPECT_TRUE(reports.states().back().has_value());
    EXPECT_LE(watch.connectionAttempts() - attemptsWhileGone, 1u + ServerWatch::kQuickRetries);
    unsetenv("PULSE_SERVER");
}

}  // namespace
