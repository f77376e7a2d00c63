#pragma once

#include "Platform/UI/WindowCommands.h"

#include <QKeySequence>
#include <QList>

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace platform {

class HostServices;

// Builds a menu bar from the application's window commands: a menu per menu
// title, an action per command with its shortcuts, separators, check marks,
// and submenus whose items are computed each time they open. Every action is
// also the window's own, so its shortcuts work with the bar hidden or native;
// commands in no menu are shortcuts alone.
//
// Titles, enabled states and check marks are asked of the application when a
// menu opens and when refresh() is called; before the window takes a shortcut
// only the commands of that key are asked (refreshShortcut); nothing is asked
// while the window is idle.
//
// Lifetime: the bar and the window own the menus and actions (Qt parents);
// the builder keeps non-owning pointers and must go before the bar. The
// services must outlive the builder.
class MenuBarBuilder {
  public:
    MenuBarBuilder(QMenuBar& bar, QWidget& window, const WindowCommands& commands,
                   HostServices& services);
    ~MenuBarBuilder();
    MenuBarBuilder(const MenuBarBuilder&) = delete;
    MenuBarBuilder& operator=(const MenuBarBuilder&) = delete;

    // Asks every command for its title, enabled state and check mark anew.
    void refresh();
    // Asks anew only the commands that `pressed` may be a shortcut of (Shift
    // and the keypad aside, as Qt's own matching sets them aside): what a key
    // about to be taken as a shortcut needs, without asking the whole menu bar.
    void refreshShortcut(QKeyCombination pressed);
    // Called after each command (or submenu item) has been performed: the
    // window draws what it changed.
    void onPerformed(std::function<void()> performed) { m_performed = std::move(performed); }

    // The action of the command titled `title` (as first given), or null.
    QAction* action(std::string_view title) const;
    // The top-level menu titled `title`, or null.
    QMenu* menu(std::string_view title) const;

    // The key sequences a command's portable shortcut texts stand for, with
    // the desktop's own keys first for a command of a standard role.
    static QList<QKeySequence> keySequences(const WindowCommand& command);

  private:
    struct Entry {
        WindowCommand command;
        QAction* action = nullptr;  // owned by its menu or by the window's actions
    };

    void addCommand(QMenu* menu, WindowCommand command);
    void refresh(Entry& entry);
    void fillSubmenu(QMenu& submenu, const WindowCommand& command);
    void perform(const WindowCommand& command);

    QMenuBar& m_bar;
    QWidget& m_window;
    HostServices& m_services;
    std::function<void()> m_performed;
    std::vector<std::unique_ptr<Entry>> m_entries;
    std::vector<QMenu*> m_menus;  // owned by the bar
    // Actions of commands in no menu; the window only refers to them.
    std::vector<std::unique_ptr<QAction>> m_shortcutActions;
};

}  // namespace platform
