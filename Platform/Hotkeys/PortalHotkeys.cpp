#include "PortalHotkeys.h"

#include "Platform/DBus/GLibHandles.h"
#include "Platform/Foundation/RunLoop.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace platform {
namespace {

constexpr const char* kPortalName = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kShortcuts = "org.freedesktop.portal.GlobalShortcuts";
constexpr const char* kRequest = "org.freedesktop.portal.Request";
constexpr const char* kNoPortal =
    "This desktop offers no GlobalShortcuts portal (GNOME before 48 and wlroots desktops have "
    "none), so Soundboard cannot have global hotkeys here.";

std::string shortcutId(int binding) {
    return "binding-" + std::to_string(binding);
}

// The portal spells a trigger as the desktop's shortcut notation does: "CTRL+ALT+h".
std::string trigger(const Hotkey& hotkey) {
    std::string text;
    if ((hotkey.modifiers & Hotkey::kControl) != 0) text += "CTRL+";
    if ((hotkey.modifiers & Hotkey::kAlt) != 0) text += "ALT+";
    if ((hotkey.modifiers & Hotkey::kShift) != 0) text += "SHIFT+";
    if ((hotkey.modifiers & Hotkey::kSuper) != 0) text += "LOGO+";
    const std::string shown = Hotkey{0, hotkey.keysym}.text();
    // Letters go as the keysym names them (lower case).
    if (shown.size() == 1) return text + static_cast<char>(shown[0] - 'A' + 'a');
    return text + shown;
}

}  // namespace

struct PortalHotkeys::State : std::enable_shared_from_this<PortalHotkeys::State> {
    glib::ObjectPtr<GDBusConnection> connection;
    glib::MainContextPtr context;
    std::thread thread;
    std::atomic<bool> stopping{false};
    guint responses = 0;
    guint activations = 0;
    std::string session;
    std::uint64_t nextToken = 0;

    std::mutex mutex;
    std::condition_variable answered;
    // The Response of each request path awaited: its code and results.
    std::map<std::string, std::pair<guint32, glib::VariantPtr>> answers;
    PortalHotkeys* owner = nullptr;
    // Bindings as sent: what was asked, and what the desktop reported.
    std::map<int, Hotkey> bindings;
    std::map<int, std::string> reported;

    std::string token() { return "soundboard" + std::to_string(++nextToken); }

    // Main thread: tells the owner, while there is one, that `binding` was pressed.
    void deliver(int binding) {
        PortalHotkeys* hearer = nullptr;
        {
            std::lock_guard lock(mutex);
            hearer = owner;
        }
        // The owner clears itself on the main thread, where this runs too.
        if (hearer != nullptr) hearer->activate(binding);
    }

    // Where the portal will answer a request made with `token`.
    std::string requestPath(const std::string& token) const {
        std::string sender = g_dbus_connection_get_unique_name(connection.get());
        if (!sender.empty() && sender[0] == ':') sender.erase(0, 1);
        for (char& c : sender) {
            if (c == '.') c = '_';
        }
        return std::string(kPortalPath) + "/request/" + sender + "/" + token;
    }

    // Calls `method` and waits for its Response; none when it failed or took
    // too long, else the response code (0: done) with its results.
    std::optional<std::pair<guint32, glib::VariantPtr>> request(const char* method,
                                                                GVariant* parameters,
                                                                const std::string& token,
                                                                int seconds) {
        const std::string expected = requestPath(token);
        glib::ErrorSlot failed;
        glib::VariantPtr handle(g_dbus_connection_call_sync(
            connection.get(), kPortalName, kPortalPath, kShortcuts, method, parameters,
            G_VARIANT_TYPE("(o)"), G_DBUS_CALL_FLAGS_NO_AUTO_START, -1, nullptr, failed.out()));
        if (!handle) return std::nullopt;
        const gchar* path = nullptr;
        g_variant_get(handle.get(), "(&o)", &path);
        const std::string returned = path != nullptr ? path : "";
        std::unique_lock lock(mutex);
        const auto found = [&] {
            return answers.count(expected) != 0 || answers.count(returned) != 0;
        };
        if (!answered.wait_for(lock, std::chrono::seconds(seconds), found)) {
            return std::nullopt;
        }
        auto node = answers.extract(answers.count(expected) != 0 ? expected : returned);
        return std::move(node.mapped());
    }
};

namespace {

using State = PortalHotkeys::State;

void heardResponse(GDBusConnection*, const gchar*, const gchar* path, const gchar*, const gchar*,
                   GVariant* parameters, gpointer data) {
    auto& state = *static_cast<State*>(data);
    guint32 code = 2;
    GVariant* results = nullptr;
    g_variant_get(parameters, "(u@a{sv})", &code, &results);
    std::lock_guard lock(state.mutex);
    state.answers[path] = {code, glib::VariantPtr(results)};
    state.answered.notify_all();
}

void heardActivation(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                     GVariant* parameters, gpointer data);

}  // namespace

std::unique_ptr<PortalHotkeys> PortalHotkeys::connect(const std::string& address,
                                                      std::string& problem) {
    auto state = std::make_shared<State>();
    std::string where = address;
    if (where.empty()) {
        glib::ErrorSlot failed;
        glib::TextPtr found(
            g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, failed.out()));
        // "autolaunch:" would start a bus of its own, where no portal runs.
        if (!found || g_str_has_prefix(found.get(), "autolaunch:")) {
            problem = "Global hotkeys need the session bus, which cannot be found.";
            return nullptr;
        }
        where = found.get();
    }
    glib::ErrorSlot joinFailed;
    state->connection.reset(g_dbus_connection_new_for_address_sync(
        where.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, joinFailed.out()));
    if (!state->connection) {
        problem = "Global hotkeys need the session bus, which cannot be reached.";
        return nullptr;
    }
    // Whether the desktop's portal has the interface at all.
    {
        glib::ErrorSlot failed;
        glib::VariantPtr version(g_dbus_connection_call_sync(
            state->connection.get(), kPortalName, kPortalPath, "org.freedesktop.DBus.Properties",
            "Get", g_variant_new("(ss)", kShortcuts, "version"), G_VARIANT_TYPE("(v)"),
            G_DBUS_CALL_FLAGS_NO_AUTO_START, 5000, nullptr, failed.out()));
        if (!version) {
            problem = kNoPortal;
            g_dbus_connection_close_sync(state->connection.get(), nullptr, nullptr);
            return nullptr;
        }
    }
    state->context.reset(g_main_context_new());
    g_main_context_push_thread_default(state->context.get());
    state->responses = g_dbus_connection_signal_subscribe(
        state->connection.get(), kPortalName, kRequest, "Response", nullptr, nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE, heardResponse, state.get(), nullptr);
    state->activations = g_dbus_connection_signal_subscribe(
        state->connection.get(), kPortalName, kShortcuts, "Activated", kPortalPath, nullptr,
        // Not owning: the object unsubscribes before its state goes.
        G_DBUS_SIGNAL_FLAGS_NONE, heardActivation, state.get(), nullptr);
    g_main_context_pop_thread_default(state->context.get());
    state->thread = std::thread([raw = state.get()] {
        g_main_context_push_thread_default(raw->context.get());
        while (!raw->stopping) g_main_context_iteration(raw->context.get(), TRUE);
        g_main_context_pop_thread_default(raw->context.get());
    });
    auto hotkeys = std::make_unique<PortalHotkeys>(Key{}, state);

    const std::string token = state->token();
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    g_variant_builder_add(&options, "{sv}", "session_handle_token",
                          g_variant_new_string(state->token().c_str()));
    // A session asks the user nothing: a portal that takes long is a stuck one.
    auto answer =
        state->request("CreateSession", g_variant_new("(a{sv})", &options), token, kSessionSeconds);
    const gchar* session = nullptr;
    if (!answer || answer->first != 0 ||
        !g_variant_lookup(answer->second.get(), "session_handle", "&s", &session)) {
        problem = "The desktop's GlobalShortcuts portal gave Soundboard no session.";
        return nullptr;
    }
    state->session = session;
    return hotkeys;
}

namespace {

void heardActivation(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                     GVariant* parameters, gpointer data) {
    // The posted activation keeps the state alive until it has run.
    auto state = static_cast<State*>(data)->shared_from_this();
    const gchar* session = nullptr;
    const gchar* id = nullptr;
    g_variant_get_child(parameters, 0, "&o", &session);
    g_variant_get_child(parameters, 1, "&s", &id);
    if (session == nullptr || id == nullptr || state->session != session) return;
    const std::string_view shortcut = id;
    constexpr std::string_view kPrefix = "binding-";
    if (!shortcut.starts_with(kPrefix)) return;
    int binding = 0;
    try {
        binding = std::stoi(std::string(shortcut.substr(kPrefix.size())));
    } catch (...) {
        return;
    }
    RunLoop::main().post([state, binding] { state->deliver(binding); });
}

}  // namespace

PortalHotkeys::PortalHotkeys(Key, std::shared_ptr<State> state) : m_state(std::move(state)) {
    m_state->owner = this;
}

PortalHotkeys::~PortalHotkeys() {
    {
        std::lock_guard lock(m_state->mutex);
        m_state->owner = nullptr;
    }
    // Closing the session (the desktop lets go of its keys) is the bus's end of the connection.
    if (!m_state->session.empty()) {
        g_dbus_connection_call(m_state->connection.get(), kPortalName, m_state->session.c_str(),
                               "org.freedesktop.portal.Session", "Close", nullptr, nullptr,
                               G_DBUS_CALL_FLAGS_NO_AUTO_START, -1, nullptr, nullptr, nullptr);
    }
    g_dbus_connection_flush_sync(m_state->connection.get(), nullptr, nullptr);
    g_dbus_connection_signal_unsubscribe(m_state->connection.get(), m_state->responses);
    g_dbus_connection_signal_unsubscribe(m_state->connection.get(), m_state->activations);
    m_state->stopping = true;
    g_main_context_wakeup(m_state->context.get());
    if (m_state->thread.joinable()) m_state->thread.join();
    g_dbus_connection_close_sync(m_state->connection.get(), nullptr, nullptr);
    while (g_main_context_iteration(m_state->context.get(), FALSE)) {
    }
}

std::optional<std::string> PortalHotkeys::sendBindings() {
    auto& state = *m_state;
    GVariantBuilder shortcuts;
    g_variant_builder_init(&shortcuts, G_VARIANT_TYPE("a(sa{sv})"));
    for (const auto& [binding, hotkey] : state.bindings) {
        GVariantBuilder details;
        g_variant_builder_init(&details, G_VARIANT_TYPE("a{sv}"));
        g_variant_builder_add(
            &details, "{sv}", "description",
            g_variant_new_string(("Soundboard hotkey " + std::to_string(binding)).c_str()));
        if (hotkey.keysym != 0) {
            g_variant_builder_add(&details, "{sv}", "preferred_trigger",
                                  g_variant_new_string(trigger(hotkey).c_str()));
        }
        g_variant_builder_add(&shortcuts, "(sa{sv})", shortcutId(binding).c_str(), &details);
    }
    const std::string token = state.token();
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    auto answer = state.request(
        "BindShortcuts",
        g_variant_new("(oa(sa{sv})sa{sv})", state.session.c_str(), &shortcuts, "", &options), token,
        kAnswerSeconds);
    if (!answer) return std::string("The desktop did not answer Soundboard's hotkeys in time.");
    if (answer->first != 0) return std::string("The desktop did not take the hotkey.");
    // What the desktop bound, as it shows it.
    std::map<int, std::string> reported;
    GVariant* bound =
        g_variant_lookup_value(answer->second.get(), "shortcuts", G_VARIANT_TYPE("a(sa{sv})"));
    glib::VariantPtr owned(bound);
    if (bound != nullptr) {
        GVariantIter iterator;
        g_variant_iter_init(&iterator, bound);
        const gchar* id = nullptr;
        GVariant* details = nullptr;
        while (g_variant_iter_next(&iterator, "(&s@a{sv})", &id, &details)) {
            glib::VariantPtr ownedDetails(details);
            for (const auto& [binding, hotkey] : state.bindings) {
                const gchar* shown = nullptr;
                if (shortcutId(binding) == id &&
                    g_variant_lookup(details, "trigger_description", "&s", &shown)) {
                    reported[binding] = shown;
                }
            }
        }
    }
    std::lock_guard lock(state.mutex);
    state.reported = std::move(reported);
    return std::nullopt;
}

std::optional<std::string> PortalHotkeys::bind(int binding, const Hotkey& hotkey) {
    const auto previous = m_state->bindings;
    m_state->bindings[binding] = hotkey;
    auto refused = sendBindings();
    if (refused) m_state->bindings = previous;
    return refused;
}

void PortalHotkeys::unbind(int binding) {
    if (m_state->bindings.erase(binding) != 0) sendBindings();
}

void PortalHotkeys::unbindAll() {
    if (m_state->bindings.empty()) return;
    m_state->bindings.clear();
    sendBindings();
}

void PortalHotkeys::captureNext(Captured captured) {
    Capture capture;
    capture.kind = Capture::Kind::Failed;
    capture.problem = "On this desktop the desktop itself asks for the key.";
    RunLoop::main().post([captured = std::move(captured), capture] { captured(capture); });
}

std::optional<std::string> PortalHotkeys::shownAs(int binding) const {
    std::lock_guard lock(m_state->mutex);
    const auto found = m_state->reported.find(binding);
    if (found == m_state->reported.end() || found->second.empty()) return std::nullopt;
    return found->second;
}

}  // namespace platform
