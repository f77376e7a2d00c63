#include "PortalStandIn.h"

#include "Platform/DBus/GLibHandles.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace hotkeytest {
namespace {

namespace glib = platform::glib;

constexpr const char* kPath = "/org/freedesktop/portal/desktop";
constexpr const char* kInterface = "org.freedesktop.portal.GlobalShortcuts";
// The key the stand-in desktop picks when the program leaves the choice to it.
constexpr const char* kDesktopChoice = "Ctrl+F12";

constexpr const char* kIntrospection = R"xml(<node>
  <interface name="org.freedesktop.portal.GlobalShortcuts">
    <method name="CreateSession">
      <arg type="a{sv}" name="options" direction="in"/>
      <arg type="o" name="handle" direction="out"/>
    </method>
    <method name="BindShortcuts">
      <arg type="o" name="session_handle" direction="in"/>
      <arg type="a(sa{sv})" name="shortcuts" direction="in"/>
      <arg type="s" name="parent_window" direction="in"/>
      <arg type="a{sv}" name="options" direction="in"/>
      <arg type="o" name="request_handle" direction="out"/>
    </method>
    <signal name="Activated">
      <arg type="o" name="session_handle"/>
      <arg type="s" name="shortcut_id"/>
      <arg type="t" name="timestamp"/>
      <arg type="a{sv}" name="options"/>
    </signal>
    <property name="version" type="u" access="read"/>
  </interface>
</node>)xml";

std::string senderPart(const char* sender) {
    std::string part = sender != nullptr ? sender : "";
    if (!part.empty() && part[0] == ':') part.erase(0, 1);
    for (char& c : part) {
        if (c == '.') c = '_';
    }
    return part;
}

std::string option(GVariant* options, const char* key) {
    const gchar* value = nullptr;
    return g_variant_lookup(options, key, "&s", &value) ? value : "";
}

}  // namespace

struct PortalStandIn::State {
    glib::ObjectPtr<GDBusConnection> connection;
    glib::MainContextPtr context;
    glib::NodeInfoPtr node;
    guint registration = 0;
    std::thread thread;
    std::atomic<bool> stopping{false};
    bool owned = false;

    mutable std::mutex mutex;
    bool refuse = false;
    std::string lastSession;
    std::vector<std::string> triggers;

    void respond(const char* destination, const std::string& path, guint32 code,
                 GVariant* results) {
        g_dbus_connection_emit_signal(connection.get(), destination, path.c_str(),
                                      "org.freedesktop.portal.Request", "Response",
                                      g_variant_new("(u@a{sv})", code, results), nullptr);
    }

    void call(const char* sender, const char* method, GVariant* parameters,
              GDBusMethodInvocation* invocation) {
        if (g_strcmp0(method, "CreateSession") == 0) {
            glib::VariantPtr options(g_variant_get_child_value(parameters, 0));
            const std::string request = std::string(kPath) + "/request/" + senderPart(sender) +
                                        "/" + option(options.get(), "handle_token");
            const std::string session = std::string(kPath) + "/session/" + senderPart(sender) +
                                        "/" + option(options.get(), "session_handle_token");
            {
                std::lock_guard lock(mutex);
                lastSession = session;
            }
            g_dbus_method_invocation_return_value(invocation,
                                                  g_variant_new("(o)", request.c_str()));
            GVariantBuilder results;
            g_variant_builder_init(&results, G_VARIANT_TYPE("a{sv}"));
            g_variant_builder_add(&results, "{sv}", "session_handle",
                                  g_variant_new_string(session.c_str()));
            respond(sender, request, 0, g_variant_builder_end(&results));
            return;
        }
        // BindShortcuts
        glib::VariantPtr shortcuts(g_variant_get_child_value(parameters, 1));
        glib::VariantPtr options(g_variant_get_child_value(parameters, 3));
        const std::string request = std::string(kPath) + "/request/" + senderPart(sender) + "/" +
                                    option(options.get(), "handle_token");
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(o)", request.c_str()));
        GVariantBuilder bound;
        g_variant_builder_init(&bound, G_VARIANT_TYPE("a(sa{sv})"));
        std::vector<std::string> sent;
        GVariantIter iterator;
        g_variant_iter_init(&iterator, shortcuts.get());
        const gchar* id = nullptr;
        GVariant* details = nullptr;
        while (g_variant_iter_next(&iterator, "(&s@a{sv})", &id, &details)) {
            glib::VariantPtr owned(details);
            const std::string preferred = option(details, "preferred_trigger");
            sent.push_back(preferred);
            GVariantBuilder shown;
            g_variant_builder_init(&shown, G_VARIANT_TYPE("a{sv}"));
            g_variant_builder_add(
                &shown, "{sv}", "trigger_description",
                g_variant_new_string(preferred.empty() ? kDesktopChoice : preferred.c_str()));
            g_variant_builder_add(&bound, "(sa{sv})", id, &shown);
        }
        bool refused = false;
        {
            std::lock_guard lock(mutex);
            triggers = sent;
            refused = refuse;
        }
        GVariantBuilder results;
        g_variant_builder_init(&results, G_VARIANT_TYPE("a{sv}"));
        if (refused) {
            g_variant_builder_clear(&bound);
        } else {
            g_variant_builder_add(&results, "{sv}", "shortcuts", g_variant_builder_end(&bound));
        }
        respond(sender, request, refused ? 1 : 0, g_variant_builder_end(&results));
    }
};

namespace {

void methodCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*,
                const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation,
                gpointer data) {
    static_cast<PortalStandIn::State*>(data)->call(sender, method, parameters, invocation);
}

GVariant* getProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                      GError**, gpointer) {
    return g_variant_new_uint32(1);
}

const GDBusInterfaceVTable kVTable = {methodCall, getProperty, nullptr, {}};

}  // namespace

PortalStandIn::PortalStandIn(const std::string& address) : m_state(std::make_shared<State>()) {
    auto& state = *m_state;
    glib::ErrorSlot failed;
    state.connection.reset(g_dbus_connection_new_for_address_sync(
        address.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, failed.out()));
    if (!state.connection) return;
    state.node.reset(g_dbus_node_info_new_for_xml(kIntrospection, nullptr));
    state.context.reset(g_main_context_new());
    g_main_context_push_thread_default(state.context.get());
    state.registration =
        g_dbus_connection_register_object(state.connection.get(), kPath, state.node->interfaces[0],
                                          &kVTable, &state, nullptr, nullptr);
    g_main_context_pop_thread_default(state.context.get());
    glib::VariantPtr reply(g_dbus_connection_call_sync(
        state.connection.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
        "org.freedesktop.DBus", "RequestName",
        g_variant_new("(su)", "org.freedesktop.portal.Desktop", 4u), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr));
    guint32 answer = 0;
    if (reply) g_variant_get(reply.get(), "(u)", &answer);
    state.owned = answer == 1;
    state.thread = std::thread([raw = &state] {
        g_main_context_push_thread_default(raw->context.get());
        while (!raw->stopping) g_main_context_iteration(raw->context.get(), TRUE);
        g_main_context_pop_thread_default(raw->context.get());
    });
}

PortalStandIn::~PortalStandIn() {
    auto& state = *m_state;
    if (!state.connection) return;
    state.stopping = true;
    g_main_context_wakeup(state.context.get());
    if (state.thread.joinable()) state.thread.join();
    if (state.registration != 0) {
        g_dbus_connection_unregister_object(state.connection.get(), state.registration);
    }
    g_dbus_connection_close_sync(state.connection.get(), nullptr, nullptr);
    while (g_main_context_iteration(state.context.get(), FALSE)) {
    }
}

bool PortalStandIn::serving() const {
    return m_state->owned && m_state->registration != 0;
}

void PortalStandIn::refuseBinds(bool refuse) {
    std::lock_guard lock(m_state->mutex);
    m_state->refuse = refuse;
}

std::vector<std::string> PortalStandIn::lastTriggers() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->triggers;
}

void PortalStandIn::activate(const std::string& shortcutId, const std::string& session) {
    std::string target = session;
    if (target.empty()) {
        std::lock_guard lock(m_state->mutex);
        target = m_state->lastSession;
    }
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE("a{sv}"));
    g_dbus_connection_emit_signal(m_state->connection.get(), nullptr, kPath, kInterface,
                                  "Activated",
                                  g_variant_new("(ost@a{sv})", target.c_str(), shortcutId.c_str(),
                                                guint64{0}, g_variant_builder_end(&options)),
                                  nullptr);
    g_dbus_connection_flush_sync(m_state->connection.get(), nullptr, nullptr);
}

}  // namespace hotkeytest
