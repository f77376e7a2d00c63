#pragma once

#include <string>

namespace platform {

// The keys the window's claimants tell apart; every other key is kOther.
enum class WindowKey {
    kOther,
    kUp,
    kDown,
    kLeft,
    kRight,
    kEnter,  // Return or the keypad's Enter
    kEscape,
    kBackspace,
    kDelete,
    kTab,
    kBacktab,
    kSpace,
    kPageUp,
    kPageDown,
    kHome,
    kEnd,
    kMenu,
    kF10,
};

// One key press as the window reads it: translated from the window system's
// event once, then offered in order to whoever may claim it (the text field,
// the focus ring, the page's keys, the commands), so no claimant reads the
// native event or keeps a key table of its own.
struct KeyPress {
    WindowKey key = WindowKey::kOther;
    // No modifier at all is held (the keypad's own flag counts as one).
    bool unmodified = false;
    // Shift and nothing else.
    bool shiftOnly = false;
    bool shift = false;
    // Ctrl, Alt or Meta held: the key is a command, it types nothing (AltGr
    // is no command: it types).
    bool command = false;
    // The desktop's paste keys (Ctrl+V, Shift+Insert).
    bool paste = false;
    // What the key types: printable text when no command is held, else empty.
    std::string text;
};

}  // namespace platform
