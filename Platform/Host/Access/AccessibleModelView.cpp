#include "AccessibleModelView.h"

#include "AccessibleWindow.h"
#include "Platform/Host/Paint/DrawnText.h"
#include "Platform/Host/Window/HostWindow.h"

#include <QWindow>

#include <algorithm>

namespace platform {
namespace {

bool canBePressed(QAccessible::Role role) {
    return role == QAccessible::Button || role == QAccessible::Link ||
           role == QAccessible::ListItem || role == QAccessible::List;
}

}  // namespace

AccessibleModelView::AccessibleModelView(HostWindow* window, PageNode node)
    : m_window(window), m_node(node) {}

AccessibleModelView::~AccessibleModelView() = default;

std::optional<PageContents> AccessibleModelView::contents() const {
    return m_window ? m_window->pageContents() : std::nullopt;
}

AccessibleWindow* AccessibleModelView::windowInterface() const {
    return m_window ? dynamic_cast<AccessibleWindow*>(
                          QAccessible::queryAccessibleInterface(m_window.data()))
                    : nullptr;
}

bool AccessibleModelView::isValid() const {
    const auto page = contents();
    return page && page->find(m_node) != nullptr;
}

QWindow* AccessibleModelView::window() const {
    return m_window ? m_window->windowHandle() : nullptr;
}

QAccessibleInterface* AccessibleModelView::parent() const {
    const auto page = contents();
    const auto position = page ? page->indexOf(m_node) : std::nullopt;
    auto* owner = windowInterface();
    if (!position || owner == nullptr) return nullptr;
    return owner->parentOf(*page, *position);
}

QAccessibleInterface* AccessibleModelView::child(int index) const {
    const auto page = contents();
    const auto* entry = page ? page->find(m_node) : nullptr;
    auto* owner = windowInterface();
    if (entry == nullptr || owner == nullptr || index < 0 ||
        static_cast<std::size_t>(index) >= entry->children.size()) {
        return nullptr;
    }
    const int position = entry->children[static_cast<std::size_t>(index)];
    return owner->interfaceFor(*page, page->entries()[static_cast<std::size_t>(position)].node);
}

int AccessibleModelView::childCount() const {
    const auto page = contents();
    const auto* entry = page ? page->find(m_node) : nullptr;
    return entry ? static_cast<int>(entry->children.size()) : 0;
}

int AccessibleModelView::indexOfChild(const QAccessibleInterface* child) const {
    const auto* view = dynamic_cast<const AccessibleModelView*>(child);
    const auto page = contents();
    const auto* entry = page ? page->find(m_node) : nullptr;
    if (view == nullptr || entry == nullptr) return -1;
    const auto position = page->indexOf(view->node());
    if (!position) return -1;
    const auto it = std::find(entry->children.begin(), entry->children.end(), *position);
    return it == entry->children.end() ? -1 : static_cast<int>(it - entry->children.begin());
}

QAccessibleInterface* AccessibleModelView::childAt(int x, int y) const {
    const auto page = contents();
    const auto* entry = page ? page->find(m_node) : nullptr;
    auto* owner = windowInterface();
    if (entry == nullptr || owner == nullptr) return nullptr;
    const QPointF local = m_window->mapFromGlobal(QPointF(x, y));
    const QPointF point = m_window->modelToWidget().inverted().map(local);
    for (auto it = entry->children.rbegin(); it != entry->children.rend(); ++it) {
        const auto& child = page->entries()[static_cast<std::size_t>(*it)];
        if (child.visibleRect.contains(point)) return owner->interfaceFor(*page, child.node);
    }
    return nullptr;
}

QString AccessibleModelView::text(QAccessible::Text type) const {
    const auto page = contents();
    const auto* entry = page ? page->find(m_node) : nullptr;
    if (entry == nullptr) return {};
    switch (type) {
        case QAccessible::Name:
            return DrawnText::of(entry->name);
        case QAccessible::Description:
            return QString::fromStdString(entry->description);
        case QAccessible::Value:
            return DrawnText::of(entry->value);
        default:
            return {};
    }
}

QRect AccessibleModelView::rect() const {
    const auto page = contents();
    const auto* entry = page ? page->find(m_node) : nullptr;
    if (entry == nullptr || entry->visibleRect.isEmpty()) return {};
    const QRect local = m_window->modelToWidget().mapRect(entry->visibleRect).toAlignedRect();
    return local.translated(m_window->mapToGlobal(QPoint(0, 0)));
}

QAccessible::Role AccessibleModelView::role() const {
    const auto page = contents();
    const auto* entry = page ? page->find(m_node) : nullptr;
    return entry ? entry->role : QAccessible::NoRole;
}

QAccessible::State AccessibleModelView::state() const {
    QAccessible::State state;
    const auto page = contents();
    const auto* entry = page ? page->find(m_node) : nullptr;
    if (entry == nullptr) {
        state.invalid = true;
        return state;
    }
    const bool row = m_node.kind == PageNode::Kind::kRow;
    state.focusable = entry->focusable || row;
    state.checkable = entry->checkable;
    state.checked = entry->checked;
    state.selectable = row;
    state.selected = entry->selected;
    state.disabled = !entry->enabled;
    state.offscreen = entry->visibleRect.isEmpty();
    state.invisible = state.offscreen;
    state.linked = entry->role == QAccessible::Link;
    state.editable = entry->editable;
    state.busy = entry->busy;
    state.animated = entry->busy;
    const auto focus = m_window->keyboardFocus().accessibleFocus();
    // The field takes every key typed while no other stop holds the focus.
    state.focusable = state.focusable || entry->editable;
    state.focused = focus ? *focus == m_node : entry->editable;
    return state;
}

void* AccessibleModelView::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    if (type == QAccessible::TextInterface && role() == QAccessible::EditableText) {
        return static_cast<QAccessibleTextInterface*>(this);
    }
    return nullptr;
}

QString AccessibleModelView::fieldText() const {
    const auto page = contents();
    const auto* entry = page ? page->find(m_node) : nullptr;
    return entry != nullptr && entry->editable ? DrawnText::of(entry->value) : QString();
}

void AccessibleModelView::selection(int, int* startOffset, int* endOffset) const {
    *startOffset = 0;
    *endOffset = 0;
}

int AccessibleModelView::cursorPosition() const {
    return static_cast<int>(fieldText().size());
}

QString AccessibleModelView::text(int startOffset, int endOffset) const {
    const QString all = fieldText();
    const int size = static_cast<int>(all.size());
    const int start = std::clamp(startOffset, 0, size);
    // -1 reads to the end, as AT-SPI asks it.
    const int end = endOffset < 0 ? size : std::clamp(endOffset, start, size);
    return all.mid(start, end - start);
}

int AccessibleModelView::characterCount() const {
    return static_cast<int>(fieldText().size());
}

QRect AccessibleModelView::characterRect(int) const {
    // Where the field is: its characters are drawn inside it.
    return rect();
}

int AccessibleModelView::offsetAtPoint(const QPoint& point) const {
    return rect().contains(point) ? cursorPosition() : -1;
}

QString AccessibleModelView::attributes(int offset, int* startOffset, int* endOffset) const {
    *startOffset = std::max(offset, 0);
    *endOffset = *startOffset;
    return {};
}

QStringList AccessibleModelView::actionNames() const {
    const auto page = contents();
    const auto* entry = page ? page->find(m_node) : nullptr;
    QStringList names;
    if (entry == nullptr || !entry->enabled) return names;
    if (entry->checkable) names << toggleAction();
    if (canBePressed(entry->role) && (entry->focusable || m_node.kind == PageNode::Kind::kRow)) {
        names << pressAction();
    }
    if (entry->focusable) names << setFocusAction();
    return names;
}

void AccessibleModelView::doAction(const QString& actionName) {
    if (!m_window || !actionNames().contains(actionName)) return;
    // Held: the action may end with this interface deleted.
    QPointer<HostWindow> window = m_window;
    const PageNode node = m_node;
    if (actionName == setFocusAction()) {
        window->keyboardFocus().focusOn(node);
        return;
    }
    if (node.kind == PageNode::Kind::kRow) {
        const auto page = contents();
        const auto* entry = page ? page->find(node) : nullptr;
        if (entry != nullptr && !entry->visibleRect.isEmpty()) {
            window->tapAt(window->modelToWidget().map(entry->visibleRect.center()));
        }
        return;
    }
    window->keyboardFocus().activate(node);
}

QStringList AccessibleModelView::keyBindingsForAction(const QString& actionName) const {
    if (actionName == pressAction()) return {QStringLiteral("Space")};
    return {};
}

}  // namespace platform
