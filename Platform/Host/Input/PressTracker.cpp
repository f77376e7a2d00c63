#include "PressTracker.h"

#include "Platform/UI/Button.h"
#include "Platform/UI/NavigationSites.h"
#include "Platform/UI/TableView.h"
#include "Platform/UI/TableViewCell.h"

namespace platform {
namespace {

QPointF windowOrigin(const View& view) {
    const Point origin = view.convertPointToAncestor({0, 0}, nullptr);
    return {origin.x, origin.y};
}

}  // namespace

bool PressTracker::Target::operator==(const Target& other) const {
    return view.lock() == other.view.lock() && stack.lock() == other.stack.lock() &&
           part == other.part;
}

std::optional<PressTracker::Target> PressTracker::barTargetAt(View& root, QPointF point,
                                                              bool& onBar) {
    const NavigationSites sites(root);
    // Inner stacks are drawn over outer ones, as the input router takes them.
    for (auto it = sites.all().rbegin(); it != sites.all().rend(); ++it) {
        if (it->bar == nullptr || it->bar->isHidden()) continue;
        const Rect frame = it->bar->presentationFrame();
        const QPointF local = point - windowOrigin(*it->bar);
        if (!QRectF(0, 0, frame.width, frame.height).contains(local)) continue;
        onBar = true;
        const auto part =
            NavigationBarLayout(it->controller->navigationBarState(), frame.width).partAt(local);
        if (part == NavigationBarLayout::Part::kNone) return std::nullopt;
        return Target{{}, it->controller, part};
    }
    return std::nullopt;
}

std::optional<PressTracker::Target> PressTracker::targetAt(View& root, QPointF point) {
    bool onBar = false;
    auto onTheBar = barTargetAt(root, point, onBar);
    if (onBar) return onTheBar;
    View* hit = root.hitTest({point.x(), point.y()});
    TableViewCell* cell = nullptr;
    // The view a click there goes to, as View::deliverTap finds it.
    for (View* node = hit; node != nullptr; node = node->superview()) {
        if (auto* rowCell = dynamic_cast<TableViewCell*>(node)) cell = rowCell;
        if (!node->acceptsTaps()) continue;
        if (auto* button = dynamic_cast<Button*>(node)) {
            if (!button->isEnabled()) return std::nullopt;
            return Target{button->weak_from_this(), {}, NavigationBarLayout::Part::kNone};
        }
        if (auto* table = dynamic_cast<TableView*>(node); table != nullptr && cell != nullptr) {
            if (cell->superview() != table) return std::nullopt;
            return Target{cell->weak_from_this(), {}, NavigationBarLayout::Part::kNone};
        }
        return std::nullopt;
    }
    return std::nullopt;
}

void PressTracker::begin(View& root, QPointF point, bool takesInput) {
    m_target = takesInput ? targetAt(root, point) : std::nullopt;
    m_onTarget = m_target.has_value();
}

void PressTracker::move(View& root, QPointF point, bool dragging) {
    if (!m_target) return;
    if (dragging) {
        // A drag never ends in a click: the press is over for good.
        end();
        return;
    }
    const auto under = targetAt(root, point);
    m_onTarget = under && *under == *m_target;
}

void PressTracker::end() {
    m_target.reset();
    m_onTarget = false;
}

bool PressTracker::isPressed(const View& view) const {
    if (!isHolding()) return false;
    const auto held = m_target->view.lock();
    return held != nullptr && held.get() == &view;
}

NavigationBarLayout::Part PressTracker::pressedBarPart(const NavigationController& stack) const {
    if (!isHolding()) return NavigationBarLayout::Part::kNone;
    const auto held = m_target->stack.lock();
    return held != nullptr && held.get() == &stack ? m_target->part
                                                   : NavigationBarLayout::Part::kNone;
}

}  // namespace platform
