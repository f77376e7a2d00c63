#include "ContextMenus.h"

#include "Platform/Host/Window/HostWindow.h"
#include "Platform/UI/HostServices.h"
#include "Platform/UI/TableView.h"

namespace platform {

ContextMenus::ContextMenus(HostWindow& window, HostServices& services)
    : m_window(window), m_services(services) {}

ContextMenus::~ContextMenus() = default;

QMenu* ContextMenus::openMenu() const {
    return m_menu && m_menu->isVisible() ? m_menu.get() : nullptr;
}

bool ContextMenus::openAt(QPointF widgetPoint) {
    const auto modelPoint = m_window.canvasScale().toModel(widgetPoint);
    return modelPoint && openForModelPoint(*modelPoint);
}

bool ContextMenus::keyPressed(const KeyPress& press) {
    const bool menuKey = press.key == WindowKey::kMenu && press.unmodified;
    const bool shiftF10 = press.key == WindowKey::kF10 && press.shiftOnly;
    if (!menuKey && !shiftF10) return false;
    auto page = m_window.pageContents();
    if (!page) return true;
    std::optional<PageNode> target = m_window.keyboardFocus().focusedNode();
    if (target) {
        // A focused list stands for its selected row.
        const auto* entry = page->find(*target);
        auto table = entry ? std::dynamic_pointer_cast<TableView>(entry->view) : nullptr;
        if (table && table->indexPathForSelectedRow()) {
            target =
                PageNode::of(PageNode::Kind::kRow, table.get(), *table->indexPathForSelectedRow());
        }
    } else {
        for (const auto& entry : page->entries()) {
            if (entry.node.kind == PageNode::Kind::kRow && entry.selected) target = entry.node;
        }
    }
    const auto* entry = target ? page->find(*target) : nullptr;
    if (entry != nullptr) openForModelPoint(entry->tapPoint);
    return true;
}

bool ContextMenus::openForModelPoint(QPointF modelPoint) {
    auto root = m_window.modelRoot();
    if (!root) return false;
    std::vector<WindowCommand> commands;
    // Held: asking may select a row, which the table may answer by reloading.
    auto hit = root->hitTest({modelPoint.x(), modelPoint.y()});
    for (View* node = hit; node != nullptr && commands.empty(); node = node->superview()) {
        const auto held = node->weak_from_this().lock();
        const Point origin = node->convertPointToAncestor({0, 0}, nullptr);
        commands = node->contextCommands({modelPoint.x() - origin.x, modelPoint.y() - origin.y});
    }
    if (commands.empty()) return false;
    m_menu = std::make_unique<QMenu>(&m_window);
    m_menu->setObjectName(QStringLiteral("Context menu"));
    fill(*m_menu, commands);
    m_window.update();
    m_menu->popup(m_window.mapToGlobal(m_window.modelToWidget().map(modelPoint).toPoint()));
    return true;
}

void ContextMenus::fill(QMenu& menu, const std::vector<WindowCommand>& commands) {
    for (const WindowCommand& command : commands) {
        if (command.separatorBefore) menu.addSeparator();
        if (command.submenu) {
            QMenu* submenu = menu.addMenu(QString::fromStdString(command.titleNow()));
            fill(*submenu, command.submenu());
            continue;
        }
        QAction* action = menu.addAction(QString::fromStdString(command.titleNow()));
        action->setEnabled(command.isEnabledNow());
        if (command.checked) {
            action->setCheckable(true);
            action->setChecked(command.checked());
        }
        QObject::connect(action, &QAction::triggered, action, [this, perform = command.perform] {
            if (perform) perform(m_services);
            m_window.update();
            if (m_performed) m_performed();
        });
    }
}

}  // namespace platform
