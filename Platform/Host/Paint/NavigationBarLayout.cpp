#include "NavigationBarLayout.h"

#include "DrawnText.h"
#include "HostFonts.h"

#include <QFontMetricsF>
#include <QString>

#include <algorithm>

namespace platform {
namespace {

constexpr double kBarHeight = NavigationController::kNavigationBarHeight;
constexpr double kTop = (kBarHeight - NavigationBarLayout::kButtonHeight) / 2;
// Room for the back button's pointed end and its padding.
constexpr double kBackChrome = 24.0;
constexpr double kTitleGap = 6.0;
// How far beyond a button's edge a tap still counts.
constexpr double kTapSlop = 4.0;

bool hitsButton(const std::optional<QRectF>& rect, QPointF point) {
    if (!rect) return false;
    const QRectF area(rect->left() - kTapSlop, 0, rect->width() + 2 * kTapSlop, kBarHeight);
    return area.contains(point);
}

}  // namespace

QFont NavigationBarLayout::buttonFont() {
    return HostFonts::font(12, true);
}

QFont NavigationBarLayout::titleFont() {
    return HostFonts::font(19, true);
}

double NavigationBarLayout::itemWidth(const BarButtonItem& item) {
    if (item.systemItem()) return 40.0;
    if (const auto& image = item.image()) return std::clamp(image->width() + 16.0, 36.0, 80.0);
    return 40.0;
}

NavigationBarLayout::NavigationBarLayout(const NavigationBarState& state, double width) {
    double leftEnd = 0.0;
    double rightStart = width;
    if (state.backTitle) {
        const QFontMetricsF metrics(buttonFont());
        const double text = metrics.horizontalAdvance(DrawnText::of(*state.backTitle));
        const double widest = std::max(50.0, std::min(120.0, width * 0.4));
        const double buttonWidth = std::clamp(text + kBackChrome, 50.0, widest);
        m_back = QRectF(kMargin, kTop, buttonWidth, kButtonHeight);
        leftEnd = m_back->right();
    } else if (state.left) {
        m_left = QRectF(kMargin, kTop, itemWidth(*state.left), kButtonHeight);
        leftEnd = m_left->right();
    }
    if (state.right) {
        const double buttonWidth = itemWidth(*state.right);
        m_right = QRectF(width - kMargin - buttonWidth, kTop, buttonWidth, kButtonHeight);
        rightStart = m_right->left();
    }
    // The title stays centred on the bar, so it keeps clear of the wider side.
    const double inset = std::max(leftEnd, width - rightStart) + kTitleGap;
    m_title = QRectF(inset, 0, std::max(0.0, width - 2 * inset), kBarHeight);
}

NavigationBarLayout::Part NavigationBarLayout::partAt(QPointF point) const {
    if (hitsButton(m_right, point)) return Part::kRight;
    if (hitsButton(m_back, point)) return Part::kBack;
    if (hitsButton(m_left, point)) return Part::kLeft;
    return Part::kNone;
}

}  // namespace platform
