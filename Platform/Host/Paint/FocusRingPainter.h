#pragma once

#include <QPainter>
#include <QRectF>

namespace platform {

// Draws the keyboard focus ring: a 2-point dark outline just outside `rect`
// with a white edge around it, so it stands out on the white pages and on the
// dark bar alike. Where that would leave `canvas` (a list as wide as the
// window), the ring moves inside it.
class FocusRingPainter {
  public:
    static constexpr double kWidth = 2.0;
    // How far the ring and its edge reach outside `rect`.
    static constexpr double kReach = kWidth + 2.0;
    static void paint(QPainter& painter, const QRectF& rect, const QRectF& canvas);
};

}  // namespace platform
