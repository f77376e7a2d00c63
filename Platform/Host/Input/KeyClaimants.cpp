#include "KeyClaimants.h"

#include "InputRouter.h"
#include "KeyboardFocus.h"
#include "Platform/Host/Dialogs/ContextMenus.h"
#include "Platform/Host/Window/HostWindow.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/Window.h"
#include "TextInputRouter.h"

#include <array>
#include <optional>

namespace platform {
namespace {

std::optional<InputRouter::Key> routedKey(WindowKey key) {
    switch (key) {
        case WindowKey::kUp:
            return InputRouter::Key::kUp;
        case WindowKey::kDown:
            return InputRouter::Key::kDown;
        case WindowKey::kEnter:
            return InputRouter::Key::kOpen;
        case WindowKey::kEscape:
        case WindowKey::kBackspace:
            return InputRouter::Key::kBack;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::span<const KeyClaimants::Claimant> KeyClaimants::claimants() {
    static constexpr std::array<Claimant, 5> kClaimants{{
        {&KeyClaimants::textFieldWantsKey, &KeyClaimants::typeIntoTextField},
        {nullptr, &KeyClaimants::openContextMenuByKey},
        {&KeyClaimants::focusRingWantsKey, &KeyClaimants::moveFocusByKey},
        {nullptr, &KeyClaimants::performDefaultActionByKey},
        {nullptr, &KeyClaimants::routePageKey},
    }};
    return kClaimants;
}

bool KeyClaimants::claimsBeforeShortcut(const KeyPress& press) {
    for (const Claimant& claimant : claimants()) {
        if (claimant.beforeShortcut != nullptr && (this->*claimant.beforeShortcut)(press)) {
            return true;
        }
    }
    return false;
}

bool KeyClaimants::take(const KeyPress& press) {
    for (const Claimant& claimant : claimants()) {
        if ((this->*claimant.take)(press)) return true;
    }
    return false;
}

bool KeyClaimants::textFieldWantsKey(const KeyPress& press) {
    auto root = m_application.keyWindowPointer();
    return root && TextInputRouter::wantsKey(*root, press);
}

bool KeyClaimants::typeIntoTextField(const KeyPress& press) {
    auto root = m_application.keyWindowPointer();
    if (!root || !TextInputRouter::keyPress(*root, press)) return false;
    m_window.update();
    return true;
}

bool KeyClaimants::openContextMenuByKey(const KeyPress& press) {
    return m_contextMenus.keyPressed(press);
}

bool KeyClaimants::focusRingWantsKey(const KeyPress& press) {
    // Space or Enter on the control the focus ring shows is that control's
    // click, not the page-wide shortcut of the same key (Play).
    return press.unmodified && m_keyboard.takesActivationKey(press);
}

bool KeyClaimants::moveFocusByKey(const KeyPress& press) {
    return m_keyboard.keyPressed(press);
}

bool KeyClaimants::performDefaultActionByKey(const KeyPress& press) {
    // Space is the page's default action, sent as every command is.
    if (press.key != WindowKey::kSpace || !press.unmodified ||
        !m_application.sendCommand(commands::kDefaultAction)) {
        return false;
    }
    m_keyboard.afterRoutedInput();
    m_window.update();
    m_window.updateFrameTimer();
    return true;
}

bool KeyClaimants::routePageKey(const KeyPress& press) {
    const auto key = routedKey(press.key);
    auto root = m_application.keyWindowPointer();
    if (!key || !root) return false;
    m_router.key(*root, *key);
    m_keyboard.afterRoutedInput();
    m_window.update();
    m_window.updateFrameTimer();
    return true;
}

}  // namespace platform
