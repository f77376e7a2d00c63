#include "MenuBarBuilder.h"

#include "Platform/UI/HostServices.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QWidget>

namespace platform {
namespace {

QString qText(const std::string& text) {
    return QString::fromStdString(text);
}

QAction::MenuRole menuRole(WindowCommandRole role) {
    switch (role) {
        case WindowCommandRole::kQuit:
            return QAction::QuitRole;
        case WindowCommandRole::kAbout:
            return QAction::AboutRole;
        case WindowCommandRole::kPreferences:
            return QAction::PreferencesRole;
        case WindowCommandRole::kNone:
            break;
    }
    return QAction::NoRole;
}

void appendNew(QList<QKeySequence>& sequences, const QKeySequence& sequence) {
    if (!sequence.isEmpty() && !sequences.contains(sequence)) sequences.push_back(sequence);
}

}  // namespace

MenuBarBuilder::MenuBarBuilder(QMenuBar& bar, QWidget& window, const WindowCommands& commands,
                               HostServices& services)
    : m_bar(bar), m_window(window), m_services(services) {
    for (const std::string& title : commands.menus()) {
        QMenu* menu = m_bar.addMenu(qText(title));
        menu->setObjectName(qText(title));
        m_menus.push_back(menu);
        QObject::connect(menu, &QMenu::aboutToShow, menu, [this] { refresh(); });
        // Qt leaves the bar in its keyboard mode, holding the focus, after Escape
        // closes a menu, and spends the user's next Escape on leaving it: that
        // Escape meant "back". Once no menu is open any more, the window has the
        // keys again (Left and Right between menus keep a menu open, and the bar).
        QObject::connect(menu, &QMenu::aboutToHide, menu, [this] {
            QMetaObject::invokeMethod(
                &m_bar,
                [this] {
                    if (QApplication::activePopupWidget() != nullptr) return;
                    if (m_bar.hasFocus() || m_bar.activeAction() != nullptr) {
                        m_bar.setActiveAction(nullptr);
                        m_window.setFocus(Qt::OtherFocusReason);
                    }
                },
                Qt::QueuedConnection);
        });
    }
    for (const WindowCommand& command : commands.commands()) {
        QMenu* home = nullptr;
        for (QMenu* menu : m_menus) {
            if (menu->objectName().toStdString() == command.menu) home = menu;
        }
        addCommand(home, command);
    }
    refresh();
}

MenuBarBuilder::~MenuBarBuilder() = default;

QList<QKeySequence> MenuBarBuilder::keySequences(const WindowCommand& command) {
    QList<QKeySequence> sequences;
    if (command.role == WindowCommandRole::kQuit) {
        for (const QKeySequence& standard : QKeySequence::keyBindings(QKeySequence::Quit)) {
            appendNew(sequences, standard);
        }
    }
    for (const std::string& text : command.shortcuts()) {
        appendNew(sequences, QKeySequence::fromString(qText(text), QKeySequence::PortableText));
    }
    return sequences;
}

void MenuBarBuilder::addCommand(QMenu* menu, WindowCommand command) {
    auto entry = std::make_unique<Entry>();
    entry->command = std::move(command);
    const WindowCommand& described = entry->command;
    if (menu != nullptr && described.separatorBefore) menu->addSeparator();
    if (menu != nullptr && described.submenu) {
        QMenu* submenu = menu->addMenu(qText(described.title));
        entry->action = submenu->menuAction();
        QObject::connect(submenu, &QMenu::aboutToShow, submenu,
                         [this, submenu, &described] { fillSubmenu(*submenu, described); });
    } else {
        QAction* action = nullptr;
        if (menu != nullptr) {
            action = menu->addAction(qText(described.title));
        } else {
            m_shortcutActions.push_back(std::make_unique<QAction>(qText(described.title)));
            action = m_shortcutActions.back().get();
        }
        action->setShortcuts(keySequences(described));
        action->setShortcutContext(Qt::WindowShortcut);
        action->setMenuRole(menuRole(described.role));
        action->setCheckable(static_cast<bool>(described.checked));
        QObject::connect(action, &QAction::triggered, action,
                         [this, &described] { perform(described); });
        // The window's own too: shortcuts then work whether the bar shows or not.
        m_window.addAction(action);
        entry->action = action;
    }
    m_entries.push_back(std::move(entry));
}

void MenuBarBuilder::perform(const WindowCommand& command) {
    // A shortcut may arrive for a command that has since become unavailable.
    if (!command.isEnabledNow() || !command.perform) return;
    command.perform(m_services);
    if (m_performed) m_performed();
}

void MenuBarBuilder::fillSubmenu(QMenu& submenu, const WindowCommand& command) {
    // The previous items go with clear(); those computed now belong to the submenu.
    submenu.clear();
    for (WindowCommand item : command.submenu()) {
        if (item.separatorBefore) submenu.addSeparator();
        QAction* action = submenu.addAction(qText(item.titleNow()));
        action->setEnabled(item.isEnabledNow());
        if (item.checked) {
            action->setCheckable(true);
            action->setChecked(item.checked());
        }
        QObject::connect(action, &QAction::triggered, action,
                         [this, perform = std::move(item.perform)] {
                             if (perform) perform(m_services);
                             if (m_performed) m_performed();
                         });
    }
}

void MenuBarBuilder::refresh() {
    for (auto& entry : m_entries) refresh(*entry);
}

void MenuBarBuilder::refreshShortcut(QKeyCombination pressed) {
    const auto loose = [](QKeyCombination combination) {
        return QKeyCombination(combination.keyboardModifiers() &
                                   ~(Qt::ShiftModifier | Qt::KeypadModifier),
                               combination.key());
    };
    const QKeyCombination wanted = loose(pressed);
    for (auto& entry : m_entries) {
        if (entry->action == nullptr) continue;
        for (const QKeySequence& sequence : entry->action->shortcuts()) {
            if (sequence.count() == 1 && loose(sequence[0]) == wanted) {
                refresh(*entry);
                break;
            }
        }
    }
}

void MenuBarBuilder::refresh(Entry& entry) {
    const WindowCommand& command = entry.command;
    if (entry.action == nullptr) return;
    const QString title = qText(command.titleNow());
    if (entry.action->text() != title) entry.action->setText(title);
    entry.action->setEnabled(command.isEnabledNow());
    if (command.checked) entry.action->setChecked(command.checked());
}

QAction* MenuBarBuilder::action(std::string_view title) const {
    for (const auto& entry : m_entries) {
        if (entry->command.title == title) return entry->action;
    }
    return nullptr;
}

QMenu* MenuBarBuilder::menu(std::string_view title) const {
    for (QMenu* menu : m_menus) {
        if (menu->objectName().toStdString() == title) return menu;
    }
    return nullptr;
}

}  // namespace platform
