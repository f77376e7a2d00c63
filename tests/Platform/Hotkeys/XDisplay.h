#pragma once

#include "tests/support/ChildProcess.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace hotkeytest {

// An X server of the test's own (Xvfb, ended by its process id with this
// object) and a client of it that plays another program: it has a window of
// its own with the focus, types through XTEST and may grab keys itself.
class XDisplay {
  public:
    XDisplay();
    ~XDisplay();
    bool started() const { return m_connection != nullptr; }
    const std::string& name() const { return m_name; }

    // Types the combination: presses each key in order, then lets go in reverse.
    void type(const std::vector<std::uint32_t>& keysyms);
    // Grabs a combination on the root window as another program would; whether it was granted.
    bool grab(std::uint16_t modifiers, std::uint32_t keysym);
    // The window that has the keyboard focus now.
    xcb_window_t focus();
    xcb_window_t window() const { return m_window; }

  private:
    std::uint8_t keycode(std::uint32_t keysym);

    std::unique_ptr<sbtest::ChildProcess> m_server;
    std::string m_name;
    xcb_connection_t* m_connection = nullptr;
    xcb_key_symbols_t* m_symbols = nullptr;
    xcb_window_t m_root = 0;
    xcb_window_t m_window = 0;
};

}  // namespace hotkeytest
