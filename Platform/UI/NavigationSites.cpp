#include "NavigationSites.h"

#include <algorithm>

namespace platform {
namespace {

// How far below `root` the view sits; -1 when it is not in root's tree.
int depthBelow(const View* view, const View& root) {
    int depth = 0;
    for (const View* node = view; node != nullptr; node = node->superview(), ++depth) {
        if (node == &root) return depth;
    }
    return -1;
}

View* barOf(const View& stackView) {
    for (const auto& subview : stackView.subviews()) {
        if (subview->layoutId() == "navigationBar") return subview.get();
    }
    return nullptr;
}

}  // namespace

NavigationSites::NavigationSites(const View& root) {
    std::vector<std::pair<int, NavigationSite>> found;
    for (auto& controller : NavigationController::liveNavigationControllers()) {
        // Asking an unloaded stack for its view would load it.
        if (!controller->isViewLoaded()) continue;
        View* view = controller->view().get();
        const int depth = depthBelow(view, root);
        if (view == nullptr || depth < 0) continue;
        NavigationSite site{controller, view, barOf(*view)};
        found.emplace_back(depth, std::move(site));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [depth, site] : found) m_sites.push_back(std::move(site));
}

const NavigationSite* NavigationSites::forView(const View* view) const {
    for (const auto& site : m_sites) {
        if (site.view == view) return &site;
    }
    return nullptr;
}

const NavigationSite* NavigationSites::outermost() const {
    return m_sites.empty() ? nullptr : &m_sites.front();
}

}  // namespace platform
