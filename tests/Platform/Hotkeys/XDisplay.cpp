#include "XDisplay.h"

#include <xcb/xtest.h>

#include <cstdlib>

namespace hotkeytest {

XDisplay::XDisplay()
    : m_server(std::make_unique<sbtest::ChildProcess>(std::vector<std::string>{
          "/usr/bin/Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "640x480x24"})) {
    // Xvfb writes its display number once it accepts clients.
    const auto number = m_server->readLine();
    if (!number || number->empty()) return;
    m_name = ":" + *number;
    xcb_connection_t* connection = xcb_connect(m_name.c_str(), nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    m_symbols = xcb_key_symbols_alloc(m_connection);
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    m_root = screen->root;
    m_window = xcb_generate_id(m_connection);
    const std::uint32_t events = XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE;
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, m_root, 0, 0, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK,
                      &events);
    xcb_map_window(m_connection, m_window);
    xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, m_window, XCB_CURRENT_TIME);
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

XDisplay::~XDisplay() {
    if (m_symbols != nullptr) xcb_key_symbols_free(m_symbols);
    if (m_connection != nullptr) xcb_disconnect(m_connection);
}

std::uint8_t XDisplay::keycode(std::uint32_t keysym) {
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(m_symbols, keysym);
    const std::uint8_t code = codes != nullptr ? codes[0] : 0;
    std::free(codes);
    return code;
}

void XDisplay::type(const std::vector<std::uint32_t>& keysyms) {
    for (std::uint32_t keysym : keysyms) {
        xcb_test_fake_input(m_connection, XCB_KEY_PRESS, keycode(keysym), XCB_CURRENT_TIME,
                            XCB_NONE, 0, 0, 0);
    }
    for (auto keysym = keysyms.rbegin(); keysym != keysyms.rend(); ++keysym) {
        xcb_test_fake_input(m_connection, XCB_KEY_RELEASE, keycode(*keysym), XCB_CURRENT_TIME,
                            XCB_NONE, 0, 0, 0);
    }
    // A round trip: the server has seen the keys before the test goes on.
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

bool XDisplay::grab(std::uint16_t modifiers, std::uint32_t keysym) {
    xcb_generic_error_t* error = xcb_request_check(
        m_connection, xcb_grab_key_checked(m_connection, 1, m_root, modifiers, keycode(keysym),
                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    std::free(error);
    return error == nullptr;
}

xcb_window_t XDisplay::focus() {
    xcb_get_input_focus_reply_t* reply =
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr);
    const xcb_window_t focused = reply != nullptr ? reply->focus : 0;
    std::free(reply);
    return focused;
}

}  // namespace hotkeytest
