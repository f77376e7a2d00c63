#pragma once

#include "Platform/UI/NavigationController.h"
#include "Platform/UI/View.h"

#include <memory>
#include <vector>

namespace platform {

// A navigation stack whose view is part of the drawn tree: the host draws its
// bar and routes taps on it, since the model's bar area is a plain view.
struct NavigationSite {
    std::shared_ptr<NavigationController> controller;
    View* view = nullptr;  // the stack's view, inside the tree
    View* bar = nullptr;   // its navigation bar area; null when it has none
};

// Finds the navigation stacks of a view tree. The pointers are valid until the
// model changes; look them up again for every frame and every input event.
class NavigationSites {
  public:
    explicit NavigationSites(const View& root);

    // Outermost first.
    const std::vector<NavigationSite>& all() const { return m_sites; }
    // The site whose stack view is `view`, or null.
    const NavigationSite* forView(const View* view) const;
    // The outermost site, whose top page the keyboard drives; null without one.
    const NavigationSite* outermost() const;

  private:
    std::vector<NavigationSite> m_sites;
};

}  // namespace platform
