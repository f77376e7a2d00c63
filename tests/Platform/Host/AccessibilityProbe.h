#pragma once

#include "HostSession.h"

#include <QAccessible>

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
