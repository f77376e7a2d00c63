#pragma once

#include "Platform/UI/KeyPress.h"

#include <span>

namespace platform {

class Application;
class ContextMenus;
class HostWindow;
class InputRouter;
class KeyboardFocus;

// Who may take a key press on the window, asked in one order by both the
// shortcut override and the key press, so the two never disagree. The first
// that takes a key has it: the top page's text field (its edits), the keyboard's
// context menu, the focus ring (its moves, and Space or Enter on the control it
// shows), the page's default action (Space), then the page's own keys (Up, Down,
// Enter and Back, through the router). The text field's edits and the focused
// control's Space and Enter come before a window shortcut of the same key; the
// commands come last, through their shortcuts.
//
// Lifetime: a member of the window, which outlives it; the key window is found
// through the application at each key.
class KeyClaimants {
  public:
    KeyClaimants(HostWindow& window, Application& application, InputRouter& router,
                 KeyboardFocus& keyboard, ContextMenus& contextMenus)
        : m_window(window),
          m_application(application),
          m_router(router),
          m_keyboard(keyboard),
          m_contextMenus(contextMenus) {}

    // Whether a claimant takes `press` ahead of a window shortcut of the same key.
    bool claimsBeforeShortcut(const KeyPress& press);
    // Offers `press` to the claimants in order; whether one took it.
    bool take(const KeyPress& press);

  private:
    struct Claimant {
        // Whether it takes the key ahead of a window shortcut of the same key;
        // null when the shortcut always wins.
        bool (KeyClaimants::*beforeShortcut)(const KeyPress& press);
        // Takes the key; false leaves it to the next one.
        bool (KeyClaimants::*take)(const KeyPress& press);
    };
    static std::span<const Claimant> claimants();

    bool textFieldWantsKey(const KeyPress& press);
    // Typing into the top page's text field (TextInputRouter).
    bool typeIntoTextField(const KeyPress& press);
    bool openContextMenuByKey(const KeyPress& press);
    bool focusRingWantsKey(const KeyPress& press);
    bool moveFocusByKey(const KeyPress& press);
    bool performDefaultActionByKey(const KeyPress& press);
    // Up, Down, Enter and Back for the page (InputRouter).
    bool routePageKey(const KeyPress& press);

    HostWindow& m_window;
    Application& m_application;
    InputRouter& m_router;
    KeyboardFocus& m_keyboard;
    ContextMenus& m_contextMenus;
};

}  // namespace platform
