#include "Hotkey.h"

#include <xkbcommon/xkbcommon.h>

#include <array>
#include <cctype>
#include <utility>

namespace platform {
namespace {

constexpr std::array<std::pair<Hotkey::Modifier, std::string_view>, 4> kModifierNames{{
    {Hotkey::kControl, "Ctrl"},
    {Hotkey::kAlt, "Alt"},
    {Hotkey::kShift, "Shift"},
    {Hotkey::kSuper, "Super"},
}};

// Keysyms below this are the characters a key types (Latin-1 and the like).
constexpr std::uint32_t kFirstFunctionKeysym = 0xff00;

}  // namespace

std::string Hotkey::text() const {
    std::string text;
    for (const auto& [modifier, name] : kModifierNames) {
        if ((modifiers & modifier) != 0) text += std::string(name) + "+";
    }
    std::array<char, 64> name{};
    if (xkb_keysym_get_name(keysym, name.data(), name.size()) <= 0) return text + "?";
    std::string key = name.data();
    // Letters read as they are printed on the key.
    if (key.size() == 1)
        key[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(key[0])));
    return text + key;
}

std::optional<Hotkey> Hotkey::parse(std::string_view text) {
    Hotkey hotkey;
    while (true) {
        const auto plus = text.find('+');
        // A last "+" is the key itself ("Ctrl++").
        if (plus == std::string_view::npos || plus + 1 == text.size()) break;
        const std::string_view part = text.substr(0, plus);
        bool known = false;
        for (const auto& [modifier, name] : kModifierNames) {
            if (part == name) {
                hotkey.modifiers |= modifier;
                known = true;
            }
        }
        if (!known) return std::nullopt;
        text.remove_prefix(plus + 1);
    }
    if (text.empty() || text.size() > 63) return std::nullopt;
    std::string key(text);
    if (key.size() == 1)
        key[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(key[0])));
    const xkb_keysym_t keysym = xkb_keysym_from_name(key.c_str(), XKB_KEYSYM_NO_FLAGS);
    if (keysym == XKB_KEY_NoSymbol) return std::nullopt;
    hotkey.keysym = keysym;
    return hotkey;
}

bool Hotkey::steals() const {
    return keysym < kFirstFunctionKeysym && (modifiers & (kControl | kAlt | kSuper)) == 0;
}

}  // namespace platform
