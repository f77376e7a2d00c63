#pragma once

#include "Platform/UI/KeyPress.h"
#include "Platform/UI/TextField.h"
#include "Platform/UI/View.h"

#include <QInputMethodEvent>

#include <memory>

namespace platform {

// Typing into the top page's text field. A page with a field takes typed and
// pasted text, Backspace and Delete, and Left/Right/Home/End for the caret;
// every other key (Up, Down, Enter, Escape) goes on to the page as usual. So
// on such a page Backspace edits the text instead of going back. Text that an
// input method composes arrives as its commit string.
//
// Every call may run the field's action, which may change the model; callers
// keep the root alive across it.
class TextInputRouter {
  public:
    // The field that takes typing: the first visible text field of the top
    // page of the outermost navigation stack (depth first), or null.
    static std::shared_ptr<TextField> focusedField(View& root);

    // Whether `press` is an edit for the focused field, so that it must come
    // as a key press rather than run a window shortcut of the same key.
    static bool wantsKey(View& root, const KeyPress& press);
    // Applies the key to the focused field; false when it is not a field edit.
    static bool keyPress(View& root, const KeyPress& press);
    // Inserts an input method's committed text; false when there is no field
    // or nothing was committed.
    static bool inputMethod(View& root, const QInputMethodEvent& event);
};

}  // namespace platform
