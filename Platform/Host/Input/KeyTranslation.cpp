#include "KeyTranslation.h"

#include <QKeySequence>

namespace platform {
namespace {

WindowKey windowKey(int key) {
    switch (key) {
        case Qt::Key_Up:
            return WindowKey::kUp;
        case Qt::Key_Down:
            return WindowKey::kDown;
        case Qt::Key_Left:
            return WindowKey::kLeft;
        case Qt::Key_Right:
            return WindowKey::kRight;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return WindowKey::kEnter;
        case Qt::Key_Escape:
            return WindowKey::kEscape;
        case Qt::Key_Backspace:
            return WindowKey::kBackspace;
        case Qt::Key_Delete:
            return WindowKey::kDelete;
        case Qt::Key_Tab:
            return WindowKey::kTab;
        case Qt::Key_Backtab:
            return WindowKey::kBacktab;
        case Qt::Key_Space:
            return WindowKey::kSpace;
        case Qt::Key_PageUp:
            return WindowKey::kPageUp;
        case Qt::Key_PageDown:
            return WindowKey::kPageDown;
        case Qt::Key_Home:
            return WindowKey::kHome;
        case Qt::Key_End:
            return WindowKey::kEnd;
        case Qt::Key_Menu:
            return WindowKey::kMenu;
        case Qt::Key_F10:
            return WindowKey::kF10;
        default:
            return WindowKey::kOther;
    }
}

// Printable text only: a control character typed with a key is no text.
bool printable(const QString& text) {
    if (text.isEmpty()) return false;
    for (const QChar character : text) {
        if (!character.isPrint() && !character.isSurrogate()) return false;
    }
    return true;
}

}  // namespace

KeyPress translatedKey(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    KeyPress press;
    press.key = windowKey(event.key());
    press.unmodified = modifiers == Qt::NoModifier;
    press.shiftOnly = modifiers == Qt::ShiftModifier;
    press.shift = modifiers.testFlag(Qt::ShiftModifier);
    press.command = (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
    press.paste = event.matches(QKeySequence::Paste);
    if (!press.command && printable(event.text())) press.text = event.text().toStdString();
    return press;
}

}  // namespace platform
