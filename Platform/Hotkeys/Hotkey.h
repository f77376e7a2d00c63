#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// One key combination as the desktop's keyboard names it: the modifiers held
// and the key's symbol (the unshifted one: "h", not "H"). Its text form
// ("Ctrl+Alt+H", "Super+F5") is how it is kept and shown.
struct Hotkey {
    enum Modifier : unsigned {
        kShift = 1,
        kControl = 2,
        kAlt = 4,
        kSuper = 8,
    };
    unsigned modifiers = 0;
    std::uint32_t keysym = 0;

    bool operator==(const Hotkey&) const = default;

    std::string text() const;
    // None for text that names no key, or an unknown modifier.
    static std::optional<Hotkey> parse(std::string_view text);
    // A key that types (a letter, a digit, a sign) taken alone or with Shift
    // would take that character from every program: such a key needs Ctrl,
    // Alt or Super. Function, media and keypad keys may stand alone.
    bool steals() const;
};

}  // namespace platform
