#pragma once

#include "Platform/UI/KeyPress.h"
#include "Platform/UI/WindowCommands.h"

#include <QMenu>
#include <QPointF>

#include <functional>
#include <memory>
#include <vector>

namespace platform {

class HostServices;
class HostWindow;

// Context menus of the pages: a right click asks the view under the pointer
// (and its superviews, nearest first) for its commands (View::contextCommands);
// the keyboard's Menu key or Shift+F10 asks the thing the focus ring is on,
// or the selected row of the page's list. The menu shows the commands as the
// menu bar shows its own (titles, checks, submenus), and a chosen one runs.
//
// Lifetime: a member of the window; it keeps the open menu and its commands.
class ContextMenus {
  public:
    ContextMenus(HostWindow& window, HostServices& services);
    ~ContextMenus();

    // A right click at `widgetPoint`; whether a menu opened.
    bool openAt(QPointF widgetPoint);
    // Takes the Menu key and Shift+F10; false for every other key.
    bool keyPressed(const KeyPress& press);
    // The menu open now, or null.
    QMenu* openMenu() const;
    // Runs after a command of a menu ran (the window draws and animates it).
    void onPerformed(std::function<void()> performed) { m_performed = std::move(performed); }

  private:
    bool openForModelPoint(QPointF modelPoint);
    void fill(QMenu& menu, const std::vector<WindowCommand>& commands);

    HostWindow& m_window;
    HostServices& m_services;
    std::unique_ptr<QMenu> m_menu;
    std::function<void()> m_performed;
};

}  // namespace platform
