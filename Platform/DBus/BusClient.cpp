#include "BusClient.h"

#include "BusNames.h"
#include "GLibHandles.h"

#include <string_view>

namespace platform {
namespace {

// Long enough for a busy main loop (a board opening), short enough that a
// hung copy does not hang a script for good.
constexpr int kTimeoutMilliseconds = 10000;

bool isAbsence(std::string_view errorName) {
    return errorName == "org.freedesktop.DBus.Error.ServiceUnknown" ||
           errorName == "org.freedesktop.DBus.Error.NameHasNoOwner";
}

}  // namespace

BusClient::Answer BusClient::call(const std::string& method,
                                  const std::optional<std::string>& argument,
                                  const std::string& address) {
    Answer answer;
    std::string where = address;
    if (where.empty()) {
        glib::ErrorSlot failed;
        glib::TextPtr found(
            g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, failed.out()));
        // "autolaunch:" would start a bus of its own: no bus is no copy to reach.
        if (!found || g_str_has_prefix(found.get(), "autolaunch:")) {
            answer.result = Result::NotRunning;
            answer.text = "there is no session bus to find it on";
            return answer;
        }
        where = found.get();
    }
    glib::ErrorSlot joinFailed;
    glib::ObjectPtr<GDBusConnection> connection(g_dbus_connection_new_for_address_sync(
        where.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, joinFailed.out()));
    if (!connection) {
        answer.result = Result::NotRunning;
        answer.text = std::string("the session bus cannot be reached: ") + joinFailed.message();
        return answer;
    }
    // A text argument must be UTF-8 on the bus; anything else names no sound.
    if (argument &&
        !g_utf8_validate(argument->data(), static_cast<gssize>(argument->size()), nullptr)) {
        answer.result = Result::Refused;
        answer.errorName = bus::kNoSuchSound;
        answer.text = "The name is not valid UTF-8 text.";
        g_dbus_connection_close_sync(connection.get(), nullptr, nullptr);
        return answer;
    }
    GVariant* parameters = argument ? g_variant_new("(s)", argument->c_str()) : nullptr;
    glib::ErrorSlot failed;
    glib::VariantPtr reply(g_dbus_connection_call_sync(
        connection.get(), bus::kServiceName, bus::kObjectPath, bus::kInterface, method.c_str(),
        parameters, nullptr, G_DBUS_CALL_FLAGS_NO_AUTO_START, kTimeoutMilliseconds, nullptr,
        failed.out()));
    if (!reply) {
        glib::TextPtr remote(failed.get() != nullptr ? g_dbus_error_get_remote_error(failed.get())
                                                     : nullptr);
        answer.errorName = remote ? remote.get() : "";
        if (failed.get() != nullptr) g_dbus_error_strip_remote_error(failed.get());
        answer.text = failed.message();
        answer.result = isAbsence(answer.errorName) ? Result::NotRunning : Result::Refused;
    }
    g_dbus_connection_close_sync(connection.get(), nullptr, nullptr);
    return answer;
}

}  // namespace platform
