#pragma once

#include "HostSession.h"

#include <QAccessible>
#include <QKeyEvent>

#include <string>
#include <vector>

namespace hosttest {

// One node of the window's accessible tree as a screen reader meets it.
struct AccessibleNode {
    QAccessible::Role role = QAccessible::NoRole;
    std::string name;
    QRect rect;
    QAccessible::State state;
    QAccessibleInterface* interface = nullptr;  // valid until the page changes
};

// Walks the tree below the window's interface depth first. Every link is
// checked on the way (a child's parent is the node it was reached from, its
// index is where it was found, it is valid); every node that shows has a
// rectangle inside the window.
std::vector<AccessibleNode> walkAccessibleTree(Session& session);
// The first node of `nodes` with `role` and `name`, or null.
const AccessibleNode* findNode(const std::vector<AccessibleNode>& nodes, QAccessible::Role role,
                               const std::string& name);

// A key press as the keyboard gives it, delivered at once.
void press(Session& session, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void tabs(Session& session, int count);
// The text of a row of the top page's table.
std::string rowText(Session& session, platform::IndexPath indexPath);

// The pages, each reached as a user reaches it (a click, then the slide's end).
void openOptions(Session& session);
void openPlay(Session& session);
void openFavourites(Session& session);
void openInfo(Session& session);

// Records the names of what Focus events announce while it lives.
class FocusAnnouncements {
  public:
    FocusAnnouncements();
    ~FocusAnnouncements();
    FocusAnnouncements(const FocusAnnouncements&) = delete;
    FocusAnnouncements& operator=(const FocusAnnouncements&) = delete;

    const std::vector<std::string>& names() const;
    void clear();
};

}  // namespace hosttest
