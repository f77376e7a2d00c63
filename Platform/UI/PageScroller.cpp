#include "PageScroller.h"

#include "Platform/UI/ScrollView.h"

namespace platform {
namespace {

std::shared_ptr<ScrollView> held(ScrollView* view) {
    return view ? std::static_pointer_cast<ScrollView>(view->shared_from_this()) : nullptr;
}

ScrollView* nearestScrollView(const View* view) {
    for (View* node = view ? view->superview() : nullptr; node; node = node->superview()) {
        if (auto* scroll = dynamic_cast<ScrollView*>(node)) return scroll;
    }
    return nullptr;
}

ScrollView* firstShownScrollView(View& view) {
    if (view.isHidden() || view.alpha() <= 0.0) return nullptr;
    if (auto* scroll = dynamic_cast<ScrollView*>(&view)) return scroll;
    for (const auto& subview : view.subviews()) {
        if (auto* found = firstShownScrollView(*subview)) return found;
    }
    return nullptr;
}

}  // namespace

void PageScroller::scroll(ScrollView& view, Step step) {
    const Point offset = view.contentOffset();
    const double page = view.frame().height;
    switch (step) {
        case Step::kPageUp:
            view.setContentOffset({offset.x, offset.y - page});
            break;
        case Step::kPageDown:
            view.setContentOffset({offset.x, offset.y + page});
            break;
        case Step::kHome:
            view.setContentOffset({offset.x, 0});
            break;
        case Step::kEnd:
            // Clamped to the last screenful.
            view.setContentOffset({offset.x, view.contentSize().height});
            break;
    }
}

void PageScroller::scrollToShow(const View& view, double margin) {
    ScrollView* scroll = nearestScrollView(&view);
    if (scroll == nullptr) return;
    // Where the view shows now, in the scroll view's visible coordinates.
    Point top = view.convertPointToAncestor({0, 0}, scroll);
    top.y -= margin;
    const double height = view.frame().height + 2 * margin;
    const double shown = scroll->frame().height;
    double by = 0;
    if (top.y < 0 || height > shown) {
        by = top.y;
    } else if (top.y + height > shown) {
        by = top.y + height - shown;
    }
    if (by != 0) scroll->scrollBy(0, by);
}

std::shared_ptr<ScrollView> PageScroller::scrollViewFor(View& page, View* focused) {
    if (auto* scroll = dynamic_cast<ScrollView*>(focused)) return held(scroll);
    if (auto* around = nearestScrollView(focused)) return held(around);
    return held(firstShownScrollView(page));
}

}  // namespace platform
