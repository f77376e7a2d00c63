#include "ScrollView.h"

#include "LayoutAttributes.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

double clampToRange(double value, double maximum) {
    if (!std::isfinite(value)) return 0.0;
    return std::clamp(value, 0.0, std::max(0.0, maximum));
}

double nonNegativeFinite(double value) {
    return std::isfinite(value) && value > 0.0 ? value : 0.0;
}

}  // namespace

Point ScrollView::clampedOffset(Point offset) const {
    const Rect visible = frame();
    return {clampToRange(offset.x, m_contentSize.width - visible.width),
            clampToRange(offset.y, m_contentSize.height - visible.height)};
}

void ScrollView::setContentSize(Size size) {
    m_contentSize = {nonNegativeFinite(size.width), nonNegativeFinite(size.height)};
    m_contentOffset = clampedOffset(m_contentOffset);
}

void ScrollView::setContentOffset(Point offset) {
    m_contentOffset = clampedOffset(offset);
}

void ScrollView::layoutSubviews() {
    m_contentOffset = clampedOffset(m_contentOffset);
}

void ScrollView::describeLayoutAttributes(LayoutAttributes<ScrollView>& attributes) {
    attributes.size("contentSize", &ScrollView::setContentSize);
}

}  // namespace platform
