// The soundboard as other programs reach it: its interface on a session bus
// of the test's own (a private dbus-daemon), served in this process over the
// real pages, and the real program's --play and --stop-all against it.

#include "Classes/Desktop/DesktopPreferences.h"
#include "Classes/PeltoAppDelegate.h"
#include "Classes/Bus/BusControl.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/DBus/BusClient.h"
#include "Platform/DBus/BusNames.h"
#include "Platform/DBus/GLibHandles.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/UI/Application.h"
#include "tests/Classes/PageHarness.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PrivateSessionBus.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <csignal>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace bus = platform::bus;
using platform::BusClient;
using sbtest::ChildProcess;

namespace {

const char* const kCatalogue =
    "<Sounds>\n"
    "  <DT title=\"Horns\"><DS audio_no=\"1\" label=\"Air Horn\"/></DT>\n"
    "  <DT title=\"Küche\"><DS audio_no=\"2\" label=\"Café &amp; Crème 🎺\"/></DT>\n"
    "</Sounds>\n";

// Runs `request` (which blocks on the bus) on a thread of its own while the
// main run loop serves the application, until it has returned.
template <class Request>
auto whileServing(Request request) {
    std::optional<decltype(request())> result;
    std::thread worker([&] {
        result.emplace(request());
        platform::RunLoop::main().stop();
    });
    platform::RunLoop::main().run();
    worker.join();
    return std::move(*result);
}

ChildProcess::Options programOptions(const std::string& busEnvironment) {
    ChildProcess::Options options;
    options.environmentChanges = {
        busEnvironment, "LSAN_OPTIONS=suppressions=" SB_LSAN_SUPPRESSIONS ":print_suppressions=0"};
    options.errors = ChildProcess::Errors::WithOutput;
    return options;
}

std::vector<std::string> program(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), SB_SOUNDBOARD_PROGRAM);
    return arguments;
}

struct ProgramOutcome {
    int status = -1;
    std::vector<std::string> lines;
};

ProgramOutcome runProgram(const std::vector<std::string>& arguments,
                          const std::string& busEnvironment) {
    ChildProcess child(program(arguments), programOptions(busEnvironment));
    ProgramOutcome run;
    const int wait = child.finish();
    run.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    run.lines = child.lines();
    return run;
}

// A raw call, for what the command line does not reach (properties, introspection).
struct RawReply {
    platform::glib::VariantPtr value;
    std::string errorName;
};

RawReply rawCall(const std::string& address, const char* interface, const char* method,
                 GVariant* parameters) {
    platform::glib::ErrorSlot failed;
    platform::glib::ObjectPtr<GDBusConnection> connection(g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, failed.out()));
    RawReply reply;
    if (!connection) return reply;
    platform::glib::ErrorSlot callFailed;
    reply.value.reset(g_dbus_connection_call_sync(
        connection.get(), bus::kServiceName, bus::kObjectPath, interface, method, parameters,
        nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, 10000, nullptr, callFailed.out()));
    if (callFailed.get() != nullptr) {
        platform::glib::TextPtr name(g_dbus_error_get_remote_error(callFailed.get()));
        reply.errorName = name ? name.get() : "";
    }
    g_dbus_connection_close_sync(connection.get(), nullptr, nullptr);
    return reply;
}

class RemoteBus : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(privateBus.started());
        pagetest::useBundle(pagetest::makeBundle(kCatalogue, {"1", "2"}));
        app.launch();
        delegate->navigationController = std::static_pointer_cast<platform::NavigationController>(
            app.navigation().shared_from_this());
        platform::Application::sharedApplication().setDelegate(delegate);
        remote = std::make_unique<BusControl>(privateBus.address());
        ASSERT_TRUE(remote->serving());
    }
    void TearDown() override {
        remote.reset();
        platform::stopAllSystemSounds();
        platform::Application::sharedApplication().setDelegate(nullptr);
    }

    sbtest::PrivateSessionBus privateBus;
    pagetest::PageHarness app;
    std::shared_ptr<PeltoAppDelegate> delegate = std::make_shared<PeltoAppDelegate>();
    std::unique_ptr<BusControl> remote;
};

TEST_F(RemoteBus, PlaysBySoundOfTheOpenBoardAndRefusesWhatItLacks) {
    struct Case {
        const char* what;
        const char* method;
        std::optional<std::string> argument;
        const char* errorName;  // empty: accepted
        std::size_t playing;
    };
    const Case cases[] = {
        {"a label as written", "Play", "Air Horn", "", 1},
        {"a label with Unicode and &", "Play", "Café & Crème 🎺", "", 1},
        {"a label as the search folds it", "Play", "cafe & CREME 🎺", "", 1},
        {"an unknown label", "Play", "Air Horns", bus::kNoSuchSound, 0},
        {"an empty label", "Play", "", bus::kNoSuchSound, 0},
        {"an audio number", "PlayNumber", "2", "", 1},
        {"a number that reaches outside", "PlayNumber", "../1", bus::kNoSuchSound, 0},
        {"stop all", "StopAll", std::nullopt, "", 0},
        {"a folder that is no board", "OpenBoard", "/nonexistent", bus::kNotABoard, 0},
        {"a method of no one", "Explode", std::nullopt, "org.freedesktop.DBus.Error.UnknownMethod",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::stopAllSystemSounds();
        const auto answer = whileServing(
            [&] { return BusClient::call(c.method, c.argument, privateBus.address()); });
        EXPECT_EQ(answer.errorName, c.errorName);
        EXPECT_EQ(answer.result == BusClient::Result::Accepted, *c.errorName == '\0');
        if (*c.errorName != '\0') {
            EXPECT_FALSE(answer.text.empty());
        }
        EXPECT_EQ(platform::playingSoundCount(), c.playing);
    }
}

TEST_F(RemoteBus, StopAllEndsWhatPlays) {
    whileServing([&] { return BusClient::call("Play", "Air Horn", privateBus.address()); });
    ASSERT_EQ(platform::playingSoundCount(), 1u);
    whileServing([&] { return BusClient::call("StopAll", std::nullopt, privateBus.address()); });
    EXPECT_EQ(platform::playingSoundCount(), 0u);
}

TEST_F(RemoteBus, ListsTheBoardAndDescribesItself) {
    const std::string address = privateBus.address();
    auto categories =
        whileServing([&] { return rawCall(address, bus::kInterface, "ListCategories", nullptr); });
    ASSERT_TRUE(categories.value);
    platform::glib::TextPtr shown(g_variant_print(categories.value.get(), FALSE));
    EXPECT_STREQ(shown.get(), "(['Horns', 'Küche'],)");

    auto sounds =
        whileServing([&] { return rawCall(address, bus::kInterface, "ListSounds", nullptr); });
    ASSERT_TRUE(sounds.value);
    shown.reset(g_variant_print(sounds.value.get(), FALSE));
    EXPECT_STREQ(shown.get(), "([('1', 'Air Horn', 'Horns'), ('2', 'Café & Crème 🎺', 'Küche')],)");

    auto description = whileServing([&] {
        return rawCall(address, "org.freedesktop.DBus.Introspectable", "Introspect", nullptr);
    });
    ASSERT_TRUE(description.value);
    const gchar* xml = nullptr;
    g_variant_get(description.value.get(), "(&s)", &xml);
    const std::string text = xml;
    for (const char* part : {"org.soundboard.Soundboard1", "name=\"Play\"", "name=\"Volume\"",
                             "org.freedesktop.DBus.Properties"}) {
        EXPECT_NE(text.find(part), std::string::npos) << part;
    }
}

// Sets the volume through the bus and waits (on the calling thread) for the
// change signal; the percentage it reported, or none.
std::optional<int> setVolumeAndHearIt(const std::string& address, int percent,
                                      std::string& errorName) {
    platform::glib::MainContextPtr context(g_main_context_new());
    g_main_context_push_thread_default(context.get());
    platform::glib::ErrorSlot failed;
    platform::glib::ObjectPtr<GDBusConnection> connection(g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, failed.out()));
    struct Heard {
        std::optional<int> volume;
        bool timedOut = false;
    } heard;
    const guint subscription = g_dbus_connection_signal_subscribe(
        connection.get(), nullptr, "org.freedesktop.DBus.Properties", "PropertiesChanged",
        bus::kObjectPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
        [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
           GVariant* parameters, gpointer data) {
            platform::glib::VariantPtr changed(g_variant_get_child_value(parameters, 1));
            gint32 volume = 0;
            if (g_variant_lookup(changed.get(), "Volume", "i", &volume)) {
                static_cast<Heard*>(data)->volume = volume;
            }
        },
        &heard, nullptr);
    platform::glib::ErrorSlot setFailed;
    platform::glib::VariantPtr reply(g_dbus_connection_call_sync(
        connection.get(), bus::kServiceName, bus::kObjectPath, "org.freedesktop.DBus.Properties",
        "Set", g_variant_new("(ssv)", bus::kInterface, "Volume", g_variant_new_int32(percent)),
        nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, 10000, nullptr, setFailed.out()));
    if (!reply) {
        platform::glib::TextPtr name(g_dbus_error_get_remote_error(setFailed.get()));
        errorName = name ? name.get() : "";
    } else {
        // A signal that never comes fails the test after a while instead of hanging it.
        GSource* limit = g_timeout_source_new_seconds(10);
        g_source_set_callback(
            limit,
            [](gpointer data) {
                static_cast<Heard*>(data)->timedOut = true;
                return G_SOURCE_REMOVE;
            },
            &heard, nullptr);
        g_source_attach(limit, context.get());
        while (!heard.volume && !heard.timedOut) g_main_context_iteration(context.get(), TRUE);
        g_source_destroy(limit);
        g_source_unref(limit);
    }
    g_dbus_connection_signal_unsubscribe(connection.get(), subscription);
    g_dbus_connection_close_sync(connection.get(), nullptr, nullptr);
    connection.reset();
    while (g_main_context_iteration(context.get(), FALSE)) {
    }
    g_main_context_pop_thread_default(context.get());
    return heard.volume;
}

TEST_F(RemoteBus, TheVolumeIsAPropertyThatSignalsItsChanges) {
    const std::string address = privateBus.address();
    std::string errorName;
    const auto heard = whileServing([&] { return setVolumeAndHearIt(address, 40, errorName); });
    EXPECT_EQ(heard, 40);
    EXPECT_EQ(platform::systemSoundVolume(), 40);
    EXPECT_EQ(DesktopPreferences().volume(), 40);

    auto read = whileServing([&] {
        return rawCall(address, "org.freedesktop.DBus.Properties", "Get",
                       g_variant_new("(ss)", bus::kInterface, "Volume"));
    });
    ASSERT_TRUE(read.value);
    platform::glib::TextPtr shown(g_variant_print(read.value.get(), FALSE));
    EXPECT_STREQ(shown.get(), "(<40>,)");

    const auto refused = whileServing([&] { return setVolumeAndHearIt(address, 140, errorName); });
    EXPECT_FALSE(refused);
    EXPECT_EQ(errorName, "org.freedesktop.DBus.Error.InvalidArgs");
    EXPECT_EQ(platform::systemSoundVolume(), 40);
}

TEST_F(RemoteBus, TheCommandLineReachesTheRunningCopy) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* said;  // the one line on standard error; empty: none
        std::size_t playing;
    };
    const Case cases[] = {
        {{"--play", "Café & Crème 🎺"}, 0, "", 1},
        {{"--play=Air Horn"}, 0, "", 1},
        {{"--play", "Nope"}, 1, "soundboard: The open board has no sound labelled \"Nope\".", 0},
        {{"--stop-all"}, 0, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        platform::stopAllSystemSounds();
        if (c.arguments.front() == "--stop-all") {
            whileServing([&] { return BusClient::call("Play", "Air Horn", privateBus.address()); });
        }
        const ProgramOutcome run =
            whileServing([&] { return runProgram(c.arguments, privateBus.environment()); });
        EXPECT_EQ(run.status, c.status);
        if (*c.said == '\0') {
            EXPECT_TRUE(run.lines.empty());
        } else {
            ASSERT_EQ(run.lines.size(), 1u);
            EXPECT_EQ(run.lines.front(), c.said);
        }
        EXPECT_EQ(platform::playingSoundCount(), c.playing);
    }
}

TEST(RemoteCommandLine, WithoutARunningCopyItSaysSoInOneLine) {
    sbtest::PrivateSessionBus privateBus;
    ASSERT_TRUE(privateBus.started());
    const std::pair<std::string, const char*> cases[] = {
        {privateBus.environment(),
         "soundboard: no Soundboard is running to play \"Air Horn\" (start it first)"},
        {"DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus",
         "soundboard: no Soundboard is running to play \"Air Horn\": the session bus cannot be "
         "reached"},
    };
    for (const auto& [environment, said] : cases) {
        SCOPED_TRACE(environment);
        const ProgramOutcome run = runProgram({"--play", "Air Horn"}, environment);
        EXPECT_EQ(run.status, 1);
        ASSERT_EQ(run.lines.size(), 1u);
        EXPECT_EQ(run.lines.front().rfind(said, 0), 0u) << run.lines.front();
    }
}

TEST(RemoteCommandLine, ASecondCopyWaitsAndTakesOverWhenTheFirstEnds) {
    sbtest::PrivateSessionBus privateBus;
    ASSERT_TRUE(privateBus.started());
    const auto board = pagetest::makeBundle(kCatalogue, {"1", "2"});
    const std::vector<std::string> headless{"--headless", "--bundle", board.string()};
    ChildProcess first(program(headless), programOptions(privateBus.environment()));
    ASSERT_TRUE(first.waitForLine("Remote control: serving"));
    ChildProcess second(program(headless), programOptions(privateBus.environment()));
    ASSERT_TRUE(second.waitForLine("Remote control: another copy serves"));

    EXPECT_EQ(runProgram({"--play", "Air Horn"}, privateBus.environment()).status, 0);
    first.sendSignal(SIGTERM);
    first.finish();
    ASSERT_TRUE(second.waitForLine("Remote control: serving"));
    EXPECT_EQ(runProgram({"--play", "Air Horn"}, privateBus.environment()).status, 0);
    EXPECT_EQ(runProgram({"--play", "Nope"}, privateBus.environment()).status, 1);
    second.sendSignal(SIGTERM);
    EXPECT_EQ(second.finish(), 0);
}

}  // namespace
