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

std::optional<Edit> editFor(const KeyPress& press) {
    if (press.paste) return Edit::kPaste;
    if (!press.command) {
        switch (press.key) {
            case WindowKey::kBackspace:
                return Edit::kDeleteBackward;
            case WindowKey::kDelete:
                return Edit::kDeleteForward;
            case WindowKey::kLeft:
                return Edit::kCaretLeft;
            case WindowKey::kRight:
                return Edit::kCaretRight;
            case WindowKey::kHome:
                return Edit::kCaretToStart;
            case WindowKey::kEnd:
                return Edit::kCaretToEnd;
            default:
                break;
        }
    }
    if (!press.text.empty()) return Edit::kInsertTyped;
    return std::nullopt;
}

}  // namespace

std::shared_ptr<TextField> TextInputRouter::focusedField(View& root) {
    View* page = InputRouter::topPageView(root);
    return page != nullptr ? firstField(*page) : nullptr;
}

bool TextInputRouter::wantsKey(View& root, const KeyPress& press) {
    return editFor(press).has_value() && focusedField(root) != nullptr;
}

bool TextInputRouter::keyPress(View& root, const KeyPress& press) {
    const auto edit = editFor(press);
    if (!edit) return false;
    // Held: the field's action may replace the page's views.
    const auto field = focusedField(root);
    if (!field) return false;
    switch (*edit) {
        case Edit::kInsertTyped:
            field->insertText(press.text);
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
