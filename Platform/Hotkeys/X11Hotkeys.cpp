#include "X11Hotkeys.h"

#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/RunLoop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
// xkb.h names a field "explicit", a C++ keyword; the name is never used here.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-keysyms.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace platform {
namespace {

struct ConnectionClose {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
struct KeySymbolsFree {
    void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
};
struct MallocFree {
    void operator()(void* pointer) const { std::free(pointer); }
};
template <class T>
using Reply = std::unique_ptr<T, MallocFree>;

constexpr std::uint16_t kRelevantModifiers =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

std::uint16_t xModifiers(unsigned modifiers) {
    std::uint16_t mask = 0;
    if ((modifiers & Hotkey::kShift) != 0) mask |= XCB_MOD_MASK_SHIFT;
    if ((modifiers & Hotkey::kControl) != 0) mask |= XCB_MOD_MASK_CONTROL;
    if ((modifiers & Hotkey::kAlt) != 0) mask |= XCB_MOD_MASK_1;
    if ((modifiers & Hotkey::kSuper) != 0) mask |= XCB_MOD_MASK_4;
    return mask;
}

unsigned hotkeyModifiers(std::uint16_t mask) {
    unsigned modifiers = 0;
    if ((mask & XCB_MOD_MASK_SHIFT) != 0) modifiers |= Hotkey::kShift;
    if ((mask & XCB_MOD_MASK_CONTROL) != 0) modifiers |= Hotkey::kControl;
    if ((mask & XCB_MOD_MASK_1) != 0) modifiers |= Hotkey::kAlt;
    if ((mask & XCB_MOD_MASK_4) != 0) modifiers |= Hotkey::kSuper;
    return modifiers;
}

bool isModifierKey(xcb_keysym_t keysym) {
    return (keysym >= XKB_KEY_Shift_L && keysym <= XKB_KEY_Hyper_R) ||
           keysym == XKB_KEY_ISO_Level3_Shift || keysym == XKB_KEY_Num_Lock ||
           keysym == XKB_KEY_Mode_switch || keysym == XKB_KEY_NoSymbol;
}

}  // namespace

struct X11Hotkeys::State {
    std::unique_ptr<xcb_connection_t, ConnectionClose> connection;
    xcb_window_t root = 0;
    std::uint16_t numLock = XCB_MOD_MASK_2;
    FileDescriptor wake;
    std::thread thread;
    std::atomic<bool> stopping{false};
    // Whoever hears activations and captures; cleared when the object goes,
    // so that a key press already posted finds nobody.
    std::mutex mutex;
    X11Hotkeys* owner = nullptr;
    std::unique_ptr<xcb_key_symbols_t, KeySymbolsFree> symbols;
    // (keycode, modifiers) -> binding
    std::map<std::pair<xcb_keycode_t, std::uint16_t>, int> grabs;
    Captured captured;
    // Keys of a binding now held down: a key held repeats its press, and a
    // hotkey fires once per press, not once per repeat.
    std::set<xcb_keycode_t> held;

    std::array<std::uint16_t, 4> lockVariants() const {
        return {0, XCB_MOD_MASK_LOCK, numLock,
                static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock)};
    }

    void findNumLock() {
        Reply<xcb_get_modifier_mapping_reply_t> mapping(xcb_get_modifier_mapping_reply(
            connection.get(), xcb_get_modifier_mapping(connection.get()), nullptr));
        if (!mapping) return;
        std::unique_ptr<xcb_keycode_t, MallocFree> numLockCodes(
            xcb_key_symbols_get_keycode(symbols.get(), XKB_KEY_Num_Lock));
        if (!numLockCodes) return;
        const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mapping.get());
        const int perModifier = mapping->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int index = 0; index < perModifier; ++index) {
                const xcb_keycode_t code = codes[modifier * perModifier + index];
                for (const xcb_keycode_t* wanted = numLockCodes.get(); *wanted != 0; ++wanted) {
                    if (code != 0 && code == *wanted) {
                        numLock = static_cast<std::uint16_t>(1u << modifier);
                        return;
                    }
                }
            }
        }
    }

    // The event thread: waits on the connection and on `wake` (the stop).
    void serve(const std::shared_ptr<State>& self) {
        std::array<pollfd, 2> watched{
            {{xcb_get_file_descriptor(connection.get()), POLLIN, 0}, {wake.get(), POLLIN, 0}}};
        while (!stopping) {
            while (auto* event = xcb_poll_for_event(connection.get())) {
                Reply<xcb_generic_event_t> owned(event);
                handle(self, *event);
            }
            if (xcb_connection_has_error(connection.get()) != 0) return;
            if (stopping) return;
            poll(watched.data(), watched.size(), -1);
        }
    }

    // Asks the server to report a held key as repeated presses without
    // releases in between (XKB's detectable auto-repeat), so that a release
    // means the key was let go.
    void detectRepeats() {
        Reply<xcb_xkb_use_extension_reply_t> xkb(xcb_xkb_use_extension_reply(
            connection.get(), xcb_xkb_use_extension(connection.get(), 1, 0), nullptr));
        if (!xkb || xkb->supported == 0) return;
        const std::uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
        Reply<xcb_xkb_per_client_flags_reply_t> flags(xcb_xkb_per_client_flags_reply(
            connection.get(),
            xcb_xkb_per_client_flags(connection.get(), XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0,
                                     0),
            nullptr));
    }

    void handle(const std::shared_ptr<State>& self, const xcb_generic_event_t& event) {
        const std::uint8_t type = event.response_type & 0x7f;
        if (type == XCB_KEY_RELEASE) {
            const auto& release = reinterpret_cast<const xcb_key_release_event_t&>(event);
            std::lock_guard lock(mutex);
            held.erase(release.detail);
            return;
        }
        if (type != XCB_KEY_PRESS) return;
        const auto& press = reinterpret_cast<const xcb_key_press_event_t&>(event);
        const std::uint16_t modifiers = press.state & kRelevantModifiers;
        std::lock_guard lock(mutex);
        if (captured) {
            const xcb_keysym_t keysym = xcb_key_symbols_get_keysym(symbols.get(), press.detail, 0);
            if (isModifierKey(keysym)) return;
            xcb_ungrab_keyboard(connection.get(), XCB_CURRENT_TIME);
            xcb_flush(connection.get());
            Capture capture;
            capture.hotkey = {hotkeyModifiers(modifiers), keysym};
            capture.kind = Capture::Kind::Combination;
            if (modifiers == 0 && keysym == XKB_KEY_Escape) capture.kind = Capture::Kind::Cancelled;
            if (modifiers == 0 && keysym == XKB_KEY_BackSpace)
                capture.kind = Capture::Kind::Removed;
            RunLoop::main().post([handler = std::move(captured), capture] { handler(capture); });
            captured = nullptr;
            return;
        }
        const auto found = grabs.find({press.detail, modifiers});
        if (found == grabs.end()) return;
        if (!held.insert(press.detail).second) return;
        RunLoop::main().post([self, binding = found->second] {
            X11Hotkeys* hearer = nullptr;
            {
                std::lock_guard held(self->mutex);
                hearer = self->owner;
            }
            // The owner clears itself on the main thread, where this runs too.
            if (hearer != nullptr) hearer->activate(binding);
        });
    }

    // A round trip: the server has done everything sent before, so a key let
    // go of is free for another program once unbind returns.
    void sync() {
        Reply<xcb_get_input_focus_reply_t> reply(xcb_get_input_focus_reply(
            connection.get(), xcb_get_input_focus(connection.get()), nullptr));
    }

    void ungrab(xcb_keycode_t code, std::uint16_t modifiers) {
        for (std::uint16_t lock : lockVariants()) {
            xcb_ungrab_key(connection.get(), code, root, modifiers | lock);
        }
    }
};

std::unique_ptr<X11Hotkeys> X11Hotkeys::connect(const char* display, std::string& problem) {
    auto state = std::make_shared<State>();
    int screenNumber = 0;
    state->connection.reset(xcb_connect(display, &screenNumber));
    if (xcb_connection_has_error(state->connection.get()) != 0) {
        problem = "the X display cannot be opened";
        return nullptr;
    }
    const xcb_setup_t* setup = xcb_get_setup(state->connection.get());
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    for (int index = 0; index < screenNumber && screens.rem > 0; ++index) xcb_screen_next(&screens);
    if (screens.rem <= 0 || screens.data == nullptr) {
        problem = "the X display has no screen";
        return nullptr;
    }
    state->root = screens.data->root;
    state->symbols.reset(xcb_key_symbols_alloc(state->connection.get()));
    if (!state->symbols) {
        problem = "the keyboard's symbols cannot be read";
        return nullptr;
    }
    state->findNumLock();
    state->detectRepeats();
    state->wake = FileDescriptor(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!state->wake.valid()) {
        problem = "no event descriptor is left";
        return nullptr;
    }
    auto hotkeys = std::make_unique<X11Hotkeys>(Key{}, state);
    state->thread = std::thread([state] { state->serve(state); });
    return hotkeys;
}

X11Hotkeys::X11Hotkeys(Key, std::shared_ptr<State> state) : m_state(std::move(state)) {
    m_state->owner = this;
}

X11Hotkeys::~X11Hotkeys() {
    {
        std::lock_guard lock(m_state->mutex);
        m_state->owner = nullptr;
        m_state->captured = nullptr;
    }
    unbindAll();
    m_state->stopping = true;
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(m_state->wake.get(), &one, sizeof one);
    if (m_state->thread.joinable()) m_state->thread.join();
}

std::optional<std::string> X11Hotkeys::bind(int binding, const Hotkey& hotkey) {
    unbind(binding);
    auto& state = *m_state;
    std::lock_guard lock(state.mutex);
    std::unique_ptr<xcb_keycode_t, MallocFree> codes(
        xcb_key_symbols_get_keycode(state.symbols.get(), hotkey.keysym));
    if (!codes || *codes == 0) {
        return "No key of this keyboard makes " + hotkey.text() + ".";
    }
    const xcb_keycode_t code = *codes;
    const std::uint16_t modifiers = xModifiers(hotkey.modifiers);
    if (state.grabs.count({code, modifiers}) != 0) {
        return hotkey.text() + " is already a hotkey of this board.";
    }
    std::vector<xcb_void_cookie_t> cookies;
    for (std::uint16_t variant : state.lockVariants()) {
        cookies.push_back(xcb_grab_key_checked(state.connection.get(), 1, state.root,
                                               modifiers | variant, code, XCB_GRAB_MODE_ASYNC,
                                               XCB_GRAB_MODE_ASYNC));
    }
    bool refused = false;
    for (const auto& cookie : cookies) {
        Reply<xcb_generic_error_t> error(xcb_request_check(state.connection.get(), cookie));
        refused = refused || error != nullptr;
    }
    if (refused) {
        // Only this client's own grabs are released: the other program keeps its key.
        state.ungrab(code, modifiers);
        xcb_flush(state.connection.get());
        return hotkey.text() + " is already taken by another program; choose another combination.";
    }
    state.grabs[{code, modifiers}] = binding;
    return std::nullopt;
}

void X11Hotkeys::unbind(int binding) {
    auto& state = *m_state;
    std::lock_guard lock(state.mutex);
    for (auto grab = state.grabs.begin(); grab != state.grabs.end();) {
        if (grab->second == binding) {
            state.ungrab(grab->first.first, grab->first.second);
            state.held.erase(grab->first.first);
            grab = state.grabs.erase(grab);
        } else {
            ++grab;
        }
    }
    state.sync();
}

void X11Hotkeys::unbindAll() {
    auto& state = *m_state;
    std::lock_guard lock(state.mutex);
    for (const auto& [grab, binding] : state.grabs) state.ungrab(grab.first, grab.second);
    state.grabs.clear();
    state.held.clear();
    state.sync();
}

void X11Hotkeys::captureNext(Captured captured) {
    auto& state = *m_state;
    Reply<xcb_grab_keyboard_reply_t> reply(xcb_grab_keyboard_reply(
        state.connection.get(),
        xcb_grab_keyboard(state.connection.get(), 0, state.root, XCB_CURRENT_TIME,
                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
        nullptr));
    if (!reply || reply->status != XCB_GRAB_STATUS_SUCCESS) {
        Capture failed;
        failed.kind = Capture::Kind::Failed;
        failed.problem = "Another program holds the keyboard; try again in a moment.";
        RunLoop::main().post([captured = std::move(captured), failed] { captured(failed); });
        return;
    }
    std::lock_guard lock(state.mutex);
    state.captured = std::move(captured);
}

}  // namespace platform
