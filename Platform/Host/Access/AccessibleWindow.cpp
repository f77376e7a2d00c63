#include "AccessibleWindow.h"

#include "AccessibleModelView.h"
#include "PageContents.h"
#include "Platform/Host/Window/HostWindow.h"
#include "Platform/UI/Object.h"

#include <algorithm>

namespace platform {
namespace {

QAccessibleInterface* hostWindowFactory(const QString& className, QObject* object) {
    if (className != QLatin1String(HostWindow::staticMetaObject.className())) return nullptr;
    auto* window = qobject_cast<HostWindow*>(object);
    if (window == nullptr) return nullptr;
    // Qt's accessibility cache takes what a factory returns and deletes it
    // when the window goes.
    return std::make_unique<AccessibleWindow>(window).release();
}

// The last of `positions` whose entry shows at `point` (drawn last, on top).
QAccessibleInterface* entryAt(const AccessibleWindow& window, const PageContents& contents,
                              const std::vector<int>& positions, QPointF point) {
    for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
        const auto& entry = contents.entries()[static_cast<std::size_t>(*it)];
        if (entry.visibleRect.contains(point)) return window.interfaceFor(contents, entry.node);
    }
    return nullptr;
}

}  // namespace

AccessibleWindow::AccessibleWindow(HostWindow* window)
    : QAccessibleWidget(window, QAccessible::Window), m_window(window) {}

AccessibleWindow::~AccessibleWindow() {
    for (const auto& [node, registered] : m_nodes) {
        QAccessible::deleteAccessibleInterface(registered.id);
    }
}

void AccessibleWindow::install() {
    // Qt forgets its factories when its application object goes, and a new
    // one may follow: installed again for every window, never twice.
    QAccessible::removeFactory(hostWindowFactory);
    QAccessible::installFactory(hostWindowFactory);
}

void AccessibleWindow::release(HostWindow& window) {
    if (QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&window)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(accessible));
    }
}

void AccessibleWindow::announceFocus(HostWindow& window, const PageNode& node) {
    auto* accessible =
        dynamic_cast<AccessibleWindow*>(QAccessible::queryAccessibleInterface(&window));
    if (accessible == nullptr) return;
    const auto contents = window.pageContents();
    if (!contents) return;
    QAccessibleInterface* focused = accessible->interfaceFor(*contents, node);
    if (focused == nullptr) return;
    QAccessibleEvent event(focused, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}

void AccessibleWindow::forgetGoneNodes() const {
    std::erase_if(m_nodes, [](const auto& item) {
        if (!item.second.subject.expired()) return false;
        QAccessible::deleteAccessibleInterface(item.second.id);
        return true;
    });
}

int AccessibleWindow::widgetChildCount() const {
    return QAccessibleWidget::childCount();
}

int AccessibleWindow::childCount() const {
    forgetGoneNodes();
    const auto contents = m_window ? m_window->pageContents() : std::nullopt;
    const int page = contents ? static_cast<int>(contents->topLevel().size()) : 0;
    return widgetChildCount() + page;
}

QAccessibleInterface* AccessibleWindow::child(int index) const {
    const int widgets = widgetChildCount();
    if (index < 0) return nullptr;
    if (index < widgets) return QAccessibleWidget::child(index);
    forgetGoneNodes();
    const auto contents = m_window ? m_window->pageContents() : std::nullopt;
    if (!contents) return nullptr;
    const auto& top = contents->topLevel();
    const auto position = static_cast<std::size_t>(index - widgets);
    if (position >= top.size()) return nullptr;
    return interfaceFor(*contents,
                        contents->entries()[static_cast<std::size_t>(top[position])].node);
}

int AccessibleWindow::indexOfChild(const QAccessibleInterface* child) const {
    const auto* view = dynamic_cast<const AccessibleModelView*>(child);
    if (view == nullptr) return QAccessibleWidget::indexOfChild(child);
    const auto contents = m_window ? m_window->pageContents() : std::nullopt;
    const auto position = contents ? contents->indexOf(view->node()) : std::nullopt;
    if (!position) return -1;
    const auto& top = contents->topLevel();
    const auto it = std::find(top.begin(), top.end(), *position);
    if (it == top.end()) return -1;
    return widgetChildCount() + static_cast<int>(it - top.begin());
}

QAccessibleInterface* AccessibleWindow::childAt(int x, int y) const {
    // The base would look through every child, the page's too.
    for (int index = 0; index < widgetChildCount(); ++index) {
        QAccessibleInterface* widget = QAccessibleWidget::child(index);
        if (widget != nullptr && widget->isValid() && widget->rect().contains(x, y)) return widget;
    }
    if (!m_window) return nullptr;
    const QPointF local = m_window->mapFromGlobal(QPointF(x, y));
    const QPointF model = m_window->modelToWidget().inverted().map(local);
    const auto contents = m_window->pageContents();
    return contents ? entryAt(*this, *contents, contents->topLevel(), model) : nullptr;
}

QAccessibleInterface* AccessibleWindow::focusChild() const {
    if (m_window) {
        if (const auto node = m_window->keyboardFocus().accessibleFocus()) {
            if (const auto contents = m_window->pageContents()) {
                if (auto* focused = interfaceFor(*contents, *node)) return focused;
            }
        }
    }
    return QAccessibleWidget::focusChild();
}

QAccessibleInterface* AccessibleWindow::interfaceFor(const PageContents& contents,
                                                     const PageNode& node) const {
    const auto* entry = contents.find(node);
    if (entry == nullptr) return nullptr;
    if (auto it = m_nodes.find(node); it != m_nodes.end()) {
        // The same address may now name a new object: the old interface goes.
        auto* known = QAccessible::accessibleInterface(it->second.id);
        if (known != nullptr && it->second.subject.lock() == entry->subject) return known;
        QAccessible::deleteAccessibleInterface(it->second.id);
        m_nodes.erase(it);
    }
    auto* made = std::make_unique<AccessibleModelView>(m_window.data(), node).release();
    // Qt's cache owns it from here; this interface deletes it by id.
    const QAccessible::Id id = QAccessible::registerAccessibleInterface(made);
    m_nodes[node] = Registered{id, entry->subject};
    return made;
}

QAccessibleInterface* AccessibleWindow::parentOf(const PageContents& contents, int position) const {
    if (position < 0 || static_cast<std::size_t>(position) >= contents.entries().size()) {
        return nullptr;
    }
    const int parent = contents.entries()[static_cast<std::size_t>(position)].parent;
    if (parent < 0) return QAccessible::queryAccessibleInterface(m_window.data());
    return interfaceFor(contents, contents.entries()[static_cast<std::size_t>(parent)].node);
}

}  // namespace platform
