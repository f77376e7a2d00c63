#pragma once

#include <gio/gio.h>

#include <memory>

namespace platform::glib {

// Owners for the GLib and GIO handles the bus code holds, so that every
// reference taken is given back on every path.
struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <class T>
using ObjectPtr = std::unique_ptr<T, ObjectUnref>;

struct VariantUnref {
    void operator()(GVariant* value) const { g_variant_unref(value); }
};
using VariantPtr = std::unique_ptr<GVariant, VariantUnref>;

struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

struct MainContextUnref {
    void operator()(GMainContext* context) const { g_main_context_unref(context); }
};
using MainContextPtr = std::unique_ptr<GMainContext, MainContextUnref>;

struct MainLoopUnref {
    void operator()(GMainLoop* loop) const { g_main_loop_unref(loop); }
};
using MainLoopPtr = std::unique_ptr<GMainLoop, MainLoopUnref>;

struct NodeInfoUnref {
    void operator()(GDBusNodeInfo* info) const { g_dbus_node_info_unref(info); }
};
using NodeInfoPtr = std::unique_ptr<GDBusNodeInfo, NodeInfoUnref>;

struct TextFree {
    void operator()(gchar* text) const { g_free(text); }
};
using TextPtr = std::unique_ptr<gchar, TextFree>;

// An error out-parameter that ends up owned: `ErrorSlot slot; call(..., slot.out());`.
class ErrorSlot {
  public:
    GError** out() { return &m_error; }
    ~ErrorSlot() {
        if (m_error != nullptr) g_error_free(m_error);
    }
    ErrorSlot() = default;
    ErrorSlot(const ErrorSlot&) = delete;
    ErrorSlot& operator=(const ErrorSlot&) = delete;
    GError* get() const { return m_error; }
    explicit operator bool() const { return m_error != nullptr; }
    const char* message() const { return m_error != nullptr ? m_error->message : ""; }

  private:
    GError* m_error = nullptr;
};

}  // namespace platform::glib
