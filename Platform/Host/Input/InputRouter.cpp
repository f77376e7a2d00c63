#include "InputRouter.h"

#include "Platform/Host/Paint/NavigationBarLayout.h"
#include "Platform/Host/Paint/WebContentCache.h"
#include "Platform/UI/NavigationSites.h"
#include "Platform/UI/WebView.h"
#include "TextInputRouter.h"

namespace platform {
namespace {

QPointF windowOrigin(const View& view) {
    const Point origin = view.convertPointToAncestor({0, 0}, nullptr);
    return {origin.x, origin.y};
}

// The nearest view from `view` up that is of type T, held.
template <class T>
std::shared_ptr<T> nearest(View* view) {
    for (View* node = view; node != nullptr; node = node->superview()) {
        if (dynamic_cast<T*>(node) != nullptr) {
            return std::static_pointer_cast<T>(node->weak_from_this().lock());
        }
    }
    return nullptr;
}

}  // namespace

std::optional<std::string> InputRouter::tapBar(View& root, QPointF point, bool& onBar) {
    const NavigationSites sites(root);
    // Inner stacks are drawn over outer ones, so they take the tap first.
    for (auto it = sites.all().rbegin(); it != sites.all().rend(); ++it) {
        const NavigationSite& site = *it;
        if (site.bar == nullptr || site.bar->isHidden()) continue;
        const QPointF origin = windowOrigin(*site.bar);
        const Rect frame = site.bar->presentationFrame();
        const QPointF local = point - origin;
        if (!QRectF(0, 0, frame.width, frame.height).contains(local)) continue;
        onBar = true;
        // Held: the tap may pop the page whose item this is.
        const std::shared_ptr<NavigationController> stack = site.controller;
        const NavigationBarState state = stack->navigationBarState();
        switch (NavigationBarLayout(state, frame.width).partAt(local)) {
            case NavigationBarLayout::Part::kBack:
                stack->popViewControllerAnimated(true);
                return std::string("Back");
            case NavigationBarLayout::Part::kLeft:
                state.left->tap();
                return state.left->accessibilityName();
            case NavigationBarLayout::Part::kRight:
                state.right->tap();
                return state.right->accessibilityName();
            case NavigationBarLayout::Part::kNone:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<std::string> InputRouter::tap(View& root, QPointF point) {
    bool onBar = false;
    auto taken = tapBar(root, point, onBar);
    if (onBar) return taken;

    View* hit = root.hitTest({point.x(), point.y()});
    if (auto webView = nearest<WebView>(hit)) {
        const QPointF local = point - windowOrigin(*webView);
        const auto link = m_web.linkIndexAt(*webView, local);
        if (!link) return std::nullopt;
        std::string name = webView->links()[*link].text;
        webView->tapLink(*link);
        return name;
    }
    // The name is read first: the tap may release the view.
    std::string name;
    for (View* node = hit; node != nullptr; node = node->superview()) {
        if (node->acceptsTaps()) {
            name = node->accessibilityName();
            break;
        }
    }
    if (!root.deliverTap({point.x(), point.y()})) return std::nullopt;
    return name;
}

std::shared_ptr<ScrollView> InputRouter::scrollViewAt(View& root, QPointF point) {
    return nearest<ScrollView>(root.hitTest({point.x(), point.y()}));
}

View* InputRouter::topPageView(View& root) {
    const NavigationSites sites(root);
    const NavigationSite* site = sites.outermost();
    if (site == nullptr) return nullptr;
    ViewController* top = site->controller->topViewController();
    if (top == nullptr || !top->isViewLoaded()) return nullptr;
    return top->view().get();
}

std::shared_ptr<TableView> InputRouter::firstTable(View& view) {
    if (view.isHidden()) return nullptr;
    if (dynamic_cast<TableView*>(&view) != nullptr) {
        return std::static_pointer_cast<TableView>(view.weak_from_this().lock());
    }
    for (const auto& subview : view.subviews()) {
        if (auto table = firstTable(*subview)) return table;
    }
    return nullptr;
}

std::optional<IndexPath> InputRouter::neighbourRow(const TableView& table,
                                                   std::optional<IndexPath> from, int step) {
    const int sections = table.numberOfSections();
    if (sections == 0) return std::nullopt;
    IndexPath at = from.value_or(
        step > 0 ? IndexPath{0, -1}
                 : IndexPath{sections - 1, table.numberOfRowsInSection(sections - 1)});
    at.row += step;
    // Walk over section ends (and empty sections) to the next row there is.
    while (at.section >= 0 && at.section < sections) {
        const int rows = table.numberOfRowsInSection(at.section);
        if (at.row >= 0 && at.row < rows) return at;
        at.section += step;
        if (at.section < 0 || at.section >= sections) break;
        at.row = step > 0 ? 0 : table.numberOfRowsInSection(at.section) - 1;
    }
    return std::nullopt;
}

std::optional<std::string> InputRouter::key(View& root, Key key) {
    if (key == Key::kBack) {
        const NavigationSites sites(root);
        const NavigationSite* site = sites.outermost();
        if (site == nullptr) return std::nullopt;
        const auto stack = site->controller;
        // The top page closes what it shows over itself first (held: closing
        // may run the page's code).
        if (!stack->viewControllers().empty()) {
            const auto top = stack->viewControllers().back();
            if (top->isViewLoaded() && top->cancelOperation()) return std::string("Close");
        }
        if (!stack->popViewControllerAnimated(true)) return std::nullopt;
        return std::string("Back");
    }
    View* page = topPageView(root);
    if (page == nullptr) return std::nullopt;
    const auto keepPage = page->weak_from_this().lock();
    auto table = firstTable(*page);
    if (!table) return std::nullopt;
    table->layoutIfNeeded();
    const auto selected = table->indexPathForSelectedRow();
    if (key == Key::kOpen) {
        // Enter in a field over a list (a search) opens the first row, as a
        // search box's Enter takes the best match.
        std::optional<IndexPath> row = selected;
        if (!row && TextInputRouter::focusedField(root))
            row = neighbourRow(*table, std::nullopt, 1);
        if (!row) return std::nullopt;
        table->scrollToRowAtIndexPath(*row);
        auto cell = table->cellForRowAtIndexPath(*row);
        std::string name = cell ? cell->textLabel().text() : std::string();
        table->tapRowAtIndexPath(*row);
        return name;
    }
    const auto next = neighbourRow(*table, selected, key == Key::kDown ? 1 : -1);
    if (!next) return std::nullopt;
    table->selectRowAtIndexPath(*next);
    table->scrollToRowAtIndexPath(*next);
    auto cell = table->cellForRowAtIndexPath(*next);
    return cell ? cell->textLabel().text() : std::string();
}

}  // namespace platform
