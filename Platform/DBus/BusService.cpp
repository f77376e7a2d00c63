#include "BusService.h"

#include "BusNames.h"
#include "GLibHandles.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Foundation/RunLoop.h"

#include <atomic>
#include <thread>
#include <utility>

namespace platform {
namespace {

using glib::ErrorSlot;

constexpr const char* kIntrospection = R"xml(<node>
  <interface name="org.soundboard.Soundboard1">
    <method name="Play"><arg name="label" type="s" direction="in"/></method>
    <method name="PlayNumber"><arg name="audio_number" type="s" direction="in"/></method>
    <method name="StopAll"/>
    <method name="ListCategories"><arg name="titles" type="as" direction="out"/></method>
    <method name="ListSounds">
      <arg name="sounds" type="a(sss)" direction="out"/>
    </method>
    <method name="OpenBoard"><arg name="folder" type="s" direction="in"/></method>
    <property name="Volume" type="i" access="readwrite">
      <annotation name="org.freedesktop.DBus.Property.EmitsChangedSignal" value="true"/>
    </property>
  </interface>
</node>)xml";

// RequestName's answers, as D-Bus defines them.
constexpr guint32 kPrimaryOwner = 1;
constexpr guint32 kAlreadyOwner = 4;

// One method call on its way to the main thread and back. Answered exactly
// once: by the application, or with an error when it never got there.
class PendingCall {
  public:
    explicit PendingCall(GDBusMethodInvocation* invocation) : m_invocation(invocation) {}
    ~PendingCall() { refuse(bus::kFailed, "The soundboard ended before it answered."); }
    PendingCall(const PendingCall&) = delete;
    PendingCall& operator=(const PendingCall&) = delete;

    // Takes `value` (floating or not); null answers with no values.
    void answer(GVariant* value) {
        if (m_invocation == nullptr) {
            if (value != nullptr) g_variant_unref(g_variant_ref_sink(value));
            return;
        }
        g_dbus_method_invocation_return_value(std::exchange(m_invocation, nullptr), value);
    }
    void answer(const BusTarget::Outcome& outcome) {
        if (outcome) {
            refuse(outcome->errorName.c_str(), outcome->text.c_str());
        } else {
            answer(static_cast<GVariant*>(nullptr));
        }
    }
    void refuse(const char* errorName, const char* text) {
        if (m_invocation == nullptr) return;
        g_dbus_method_invocation_return_dbus_error(std::exchange(m_invocation, nullptr), errorName,
                                                   text);
    }

  private:
    GDBusMethodInvocation* m_invocation;
};

GVariant* stringList(const std::vector<std::string>& texts) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("as"));
    for (const auto& text : texts) g_variant_builder_add(&builder, "s", text.c_str());
    return g_variant_new("(as)", &builder);
}

GVariant* soundList(const std::vector<BusTarget::Sound>& sounds) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a(sss)"));
    for (const auto& sound : sounds) {
        g_variant_builder_add(&builder, "(sss)", sound.audioNumber.c_str(), sound.label.c_str(),
                              sound.category.c_str());
    }
    return g_variant_new("(a(sss))", &builder);
}

// A catalogue from anyone may hold text that is not UTF-8; the bus takes only UTF-8.
std::string valid(const std::string& text) {
    if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return text;
    glib::TextPtr fixed(g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())));
    return fixed ? std::string(fixed.get()) : std::string();
}

}  // namespace

struct BusService::Shared : std::enable_shared_from_this<BusService::Shared> {
    std::weak_ptr<BusTarget> target;
    std::atomic<int> volume{0};
    glib::ObjectPtr<GDBusConnection> connection;
    glib::MainContextPtr context;
    std::atomic<bool> stopping{false};
    glib::NodeInfoPtr node;
    guint registration = 0;
    guint nameWatch = 0;
    // Set while another copy holds the name: the bus's NameAcquired then means a take-over.
    std::atomic<bool> queued{false};
    std::thread thread;

    void emitVolume(int percent) {
        GVariantBuilder changed;
        g_variant_builder_init(&changed, G_VARIANT_TYPE("a{sv}"));
        g_variant_builder_add(&changed, "{sv}", "Volume", g_variant_new_int32(percent));
        g_dbus_connection_emit_signal(
            connection.get(), nullptr, bus::kObjectPath, "org.freedesktop.DBus.Properties",
            "PropertiesChanged", g_variant_new("(sa{sv}as)", bus::kInterface, &changed, nullptr),
            nullptr);
    }

    // Runs on the main thread; answers through `call`.
    void serve(const std::string& method, const std::string& argument, PendingCall& call) {
        auto held = target.lock();
        if (!held) return call.refuse(bus::kFailed, "The soundboard is ending.");
        if (method == "Play") {
            call.answer(held->playLabel(argument));
        } else if (method == "PlayNumber") {
            call.answer(held->playNumber(argument));
        } else if (method == "StopAll") {
            held->stopAll();
            call.answer(static_cast<GVariant*>(nullptr));
        } else if (method == "ListCategories") {
            std::vector<std::string> titles;
            for (const auto& title : held->categories()) titles.push_back(valid(title));
            call.answer(stringList(titles));
        } else if (method == "ListSounds") {
            auto sounds = held->sounds();
            for (auto& sound : sounds) {
                sound = {valid(sound.audioNumber), valid(sound.label), valid(sound.category)};
            }
            call.answer(soundList(sounds));
        } else if (method == "OpenBoard") {
            call.answer(held->openBoard(argument));
        } else {
            call.refuse("org.freedesktop.DBus.Error.UnknownMethod", "No such method.");
        }
    }
};

namespace {

using Shared = BusService::Shared;

// The bus thread's side: hands the call to the main thread.
void methodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* method,
                GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data) {
    // The posted request keeps the state alive until it has been answered.
    auto shared = static_cast<Shared*>(data)->shared_from_this();
    auto call = std::make_shared<PendingCall>(invocation);
    std::string argument;
    // The signature was checked by GDBus against the introspection data.
    if (g_variant_is_of_type(parameters, G_VARIANT_TYPE("(s)"))) {
        const gchar* text = nullptr;
        g_variant_get(parameters, "(&s)", &text);
        argument = text != nullptr ? text : "";
    }
    RunLoop::main().post([shared, call, name = std::string(method), argument] {
        shared->serve(name, argument, *call);
        if (auto held = shared->target.lock()) {
            const int now = held->volume();
            if (shared->volume.exchange(now) != now) shared->emitVolume(now);
        }
    });
}

GVariant* getProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                      const gchar* property, GError** error, gpointer data) {
    auto& shared = *static_cast<Shared*>(data);
    if (g_strcmp0(property, "Volume") == 0) return g_variant_new_int32(shared.volume.load());
    g_set_error_literal(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY, "No such property.");
    return nullptr;
}

gboolean setProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                     const gchar* property, GVariant* value, GError** error, gpointer data) {
    auto shared = static_cast<Shared*>(data)->shared_from_this();
    if (g_strcmp0(property, "Volume") != 0) {
        g_set_error_literal(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_PROPERTY,
                            "No such property.");
        return FALSE;
    }
    const int percent = g_variant_get_int32(value);
    if (percent < 0 || percent > 100) {
        g_set_error_literal(error, G_DBUS_ERROR, G_DBUS_ERROR_INVALID_ARGS,
                            "The volume is a percentage, from 0 to 100.");
        return FALSE;
    }
    RunLoop::main().post([shared, percent] {
        auto held = shared->target.lock();
        if (!held) return;
        held->setVolume(percent);
        const int now = held->volume();
        if (shared->volume.exchange(now) != now) shared->emitVolume(now);
    });
    return TRUE;
}

const GDBusInterfaceVTable kVTable = {methodCall, getProperty, setProperty, {}};

void nameAcquired(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                  GVariant* parameters, gpointer data) {
    auto& shared = *static_cast<Shared*>(data);
    const gchar* name = nullptr;
    g_variant_get(parameters, "(&s)", &name);
    if (g_strcmp0(name, bus::kServiceName) != 0 || !shared.queued.exchange(false)) return;
    Log(std::string("Remote control: serving ") + bus::kServiceName +
        " on the session bus, after the copy that held it ended");
}

}  // namespace

std::unique_ptr<BusService> BusService::start(std::shared_ptr<BusTarget> target,
                                              const std::string& address, std::string& problem) {
    auto shared = std::make_shared<Shared>();
    shared->target = target;
    shared->volume = target ? target->volume() : 0;

    std::string where = address;
    if (where.empty()) {
        ErrorSlot failed;
        glib::TextPtr found(
            g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, failed.out()));
        // "autolaunch:" would start a bus of its own, where no other program looks.
        if (!found || g_str_has_prefix(found.get(), "autolaunch:")) {
            problem = failed ? std::string("no session bus: ") + failed.message()
                             : std::string("no session bus");
            return nullptr;
        }
        where = found.get();
    }
    {
        ErrorSlot failed;
        shared->connection.reset(g_dbus_connection_new_for_address_sync(
            where.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, failed.out()));
        if (!shared->connection) {
            problem = std::string("cannot join the session bus: ") + failed.message();
            return nullptr;
        }
    }
    shared->node.reset(g_dbus_node_info_new_for_xml(kIntrospection, nullptr));
    shared->context.reset(g_main_context_new());

    // Calls are dispatched to the context that is the thread's default while
    // the object is registered: the service's own, served by its thread.
    g_main_context_push_thread_default(shared->context.get());
    {
        ErrorSlot failed;
        shared->registration = g_dbus_connection_register_object(
            shared->connection.get(), bus::kObjectPath, shared->node->interfaces[0], &kVTable,
            // Not owning: the service unregisters before its state goes.
            shared.get(), nullptr, failed.out());
        if (shared->registration == 0) problem = std::string("cannot serve: ") + failed.message();
    }
    g_main_context_pop_thread_default(shared->context.get());
    if (shared->registration == 0) {
        g_dbus_connection_close_sync(shared->connection.get(), nullptr, nullptr);
        return nullptr;
    }

    auto service = std::make_unique<BusService>(Key{});
    service->m_shared = shared;
    {
        ErrorSlot failed;
        glib::VariantPtr reply(g_dbus_connection_call_sync(
            shared->connection.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
            "org.freedesktop.DBus", "RequestName", g_variant_new("(su)", bus::kServiceName, 0u),
            G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, failed.out()));
        if (!reply) {
            problem =
                std::string("cannot take the name ") + bus::kServiceName + ": " + failed.message();
            return nullptr;
        }
        guint32 answer = 0;
        g_variant_get(reply.get(), "(u)", &answer);
        service->m_standing =
            answer == kPrimaryOwner || answer == kAlreadyOwner ? Standing::Owner : Standing::Queued;
        shared->queued = service->m_standing == Standing::Queued;
    }
    // Served on the service's thread, like the calls (the context is its default there).
    g_main_context_push_thread_default(shared->context.get());
    shared->nameWatch = g_dbus_connection_signal_subscribe(
        shared->connection.get(), "org.freedesktop.DBus", "org.freedesktop.DBus", "NameAcquired",
        "/org/freedesktop/DBus", bus::kServiceName, G_DBUS_SIGNAL_FLAGS_NONE, nameAcquired,
        shared.get(), nullptr);
    g_main_context_pop_thread_default(shared->context.get());
    shared->thread = std::thread([raw = shared.get()] {
        g_main_context_push_thread_default(raw->context.get());
        while (!raw->stopping) g_main_context_iteration(raw->context.get(), TRUE);
        g_main_context_pop_thread_default(raw->context.get());
    });
    return service;
}

BusService::~BusService() {
    if (!m_shared) return;
    m_shared->stopping = true;
    g_main_context_wakeup(m_shared->context.get());
    if (m_shared->thread.joinable()) m_shared->thread.join();
    if (m_shared->nameWatch != 0) {
        g_dbus_connection_signal_unsubscribe(m_shared->connection.get(), m_shared->nameWatch);
    }
    if (m_shared->registration != 0) {
        g_dbus_connection_unregister_object(m_shared->connection.get(), m_shared->registration);
    }
    g_dbus_connection_close_sync(m_shared->connection.get(), nullptr, nullptr);
    // What the context still holds (the registration's last reference) goes with it.
    while (g_main_context_iteration(m_shared->context.get(), FALSE)) {
    }
    m_shared->target.reset();
}

void BusService::publishVolume(int percent) {
    if (m_shared->volume.exchange(percent) != percent) m_shared->emitVolume(percent);
}

}  // namespace platform
