#include "ScrollIndicators.h"

#include <algorithm>
#include <iterator>

namespace platform {

void ScrollIndicators::observe(const View& root, double now) {
    std::erase_if(m_seen, [](const auto& entry) { return entry.second.owner.expired(); });
    observeTree(root, now);
}

void ScrollIndicators::observeTree(const View& view, double now) {
    if (view.isHidden()) return;
    if (const auto* scrollView = dynamic_cast<const ScrollView*>(&view)) {
        const Point offset = scrollView->contentOffset();
        auto found = m_seen.find(scrollView);
        if (found == m_seen.end() || found->second.owner.expired()) {
            m_seen.insert_or_assign(scrollView, Seen{view.weak_from_this(), offset});
        } else if (found->second.offset.x != offset.x || found->second.offset.y != offset.y) {
            found->second.offset = offset;
            found->second.lastMoved = now;
        }
    }
    for (const auto& subview : view.subviews()) observeTree(*subview, now);
}

double ScrollIndicators::opacityAt(const Seen& seen, double now) {
    const double since = now - seen.lastMoved;
    if (since < 0 || since >= kHold + kFade) return 0.0;
    if (since <= kHold) return 1.0;
    return 1.0 - (since - kHold) / kFade;
}

double ScrollIndicators::opacity(const ScrollView& scrollView, double now) const {
    const auto found = m_seen.find(&scrollView);
    return found == m_seen.end() ? 0.0 : opacityAt(found->second, now);
}

bool ScrollIndicators::isShowing(double now) const {
    return std::any_of(m_seen.begin(), m_seen.end(), [now](const auto& entry) {
        return !entry.second.owner.expired() && opacityAt(entry.second, now) > 0.0;
    });
}

}  // namespace platform
