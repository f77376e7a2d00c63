#include "TextInputRouter.h"

#include "InputRouter.h"

#include <QClipboard>
#include <QGuiApplication>

#include <optional>

namespace platform {
namespace {

enum class Edit {
    kInsertTyped,
    kPaste,
    kDeleteBackward,
    kDeleteForward,
    kCaretLeft,
    kCaretRight,
    kCaretToStart,
    kCaretToEnd
};

std::shared_ptr<TextField> firstField(View& view) {
    if (view.isHidden()) return nullptr;
    if (dynamic_cast<TextField*>(&view) != nullptr) {
        return std::static_pointer_cast<TextField>(view.weak_from_this().lock());
    }
    for (const auto& subview : view.subviews()) {
        if (auto field = firstField(*subview)) return field;
    }
    return nullptr;
}

// Text a key types: something printable, with no command modifier held (AltGr
// is not one: it types).
bool typesText(const QKeyEvent& event) {
    const Qt::KeyboardModifiers command = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    const QString text = event.text();
    if (text.isEmpty() || (event.modifiers() & command)) return false;
    for (const QChar character : text) {
        if (!character.isPrint() && !character.isSurrogate()) return false;
    }
    return true;
}

std::optional<Edit> editFor(const QKeyEvent& event) {
    if (event.matches(QKeySequence::Paste)) return Edit::kPaste;
    const Qt::KeyboardModifiers command = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (!(event.modifiers() & command)) {
        switch (event.key()) {
            case Qt::Key_Backspace:
                return Edit::kDeleteBackward;
            case Qt::Key_Delete:
                return Edit::kDeleteForward;
            case Qt::Key_Left:
                return Edit::kCaretLeft;
            case Qt::Key_Right:
                return Edit::kCaretRight;
            case Qt::Key_Home:
                return Edit::kCaretToStart;
            case Qt::Key_End:
                return Edit::kCaretToEnd;
            default:
                break;
        }
    }
    if (typesText(event)) return Edit::kInsertTyped;
    return std::nullopt;
}

}  // namespace

std::shared_ptr<TextField> TextInputRouter::focusedField(View& root) {
    View* page = InputRouter::topPageView(root);
    return page != nullptr ? firstField(*page) : nullptr;
}

bool TextInputRouter::wantsKey(View& root, const QKeyEvent& event) {
    return editFor(event).has_value() && focusedField(root) != nullptr;
}

bool TextInputRouter::keyPress(View& root, const QKeyEvent& event) {
    const auto edit = editFor(event);
    if (!edit) return false;
    // Held: the field's action may replace the page's views.
    const auto field = focusedField(root);
    if (!field) return false;
    switch (*edit) {
        case Edit::kInsertTyped:
            field->insertText(event.text().toStdString());
            break;
        case Edit::kPaste:
            if (const QClipboard* clipboard = QGuiApplication::clipboard()) {
                field->insertText(clipboard->text().toStdString());
            }
            break;
        case Edit::kDeleteBackward:
            field->deleteBackward();
            break;
        case Edit::kDeleteForward:
            field->deleteForward();
            break;
        case Edit::kCaretLeft:
            field->moveCaretLeft();
            break;
        case Edit::kCaretRight:
            field->moveCaretRight();
            break;
        case Edit::kCaretToStart:
            field->moveCaretToStart();
            break;
        case Edit::kCaretToEnd:
            field->moveCaretToEnd();
            break;
    }
    return true;
}

bool TextInputRouter::inputMethod(View& root, const QInputMethodEvent& event) {
    if (event.commitString().isEmpty()) return false;
    const auto field = focusedField(root);
    if (!field) return false;
    field->insertText(event.commitString().toStdString());
    return true;
}

}  // namespace platform
