#pragma once

#include "Platform/UI/NavigationController.h"

#include <QFont>
#include <QPointF>
#include <QRectF>

#include <optional>

namespace platform {

// Where the parts of a navigation bar sit, in the bar's own coordinates. The
// painter draws from it and the input router hit-tests with it, so what is
// drawn is exactly what can be tapped.
class NavigationBarLayout {
  public:
    enum class Part { kNone, kBack, kLeft, kRight };

    static constexpr double kButtonHeight = 30.0;
    static constexpr double kMargin = 5.0;

    NavigationBarLayout(const NavigationBarState& state, double width);

    // The back button (with the page below's title) or the left bar button;
    // never both: the back button hides the left one.
    const std::optional<QRectF>& back() const { return m_back; }
    const std::optional<QRectF>& left() const { return m_left; }
    const std::optional<QRectF>& right() const { return m_right; }
    // The room between the buttons for the title or title view.
    const QRectF& title() const { return m_title; }

    // The part under `point`; buttons take taps a little beyond their edges,
    // up to the bar's full height.
    Part partAt(QPointF point) const;

    static QFont buttonFont();
    static QFont titleFont();

  private:
    static double itemWidth(const BarButtonItem& item);
    std::optional<QRectF> m_back;
    std::optional<QRectF> m_left;
    std::optional<QRectF> m_right;
    QRectF m_title;
};

}  // namespace platform
