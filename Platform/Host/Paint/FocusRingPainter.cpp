#include "FocusRingPainter.h"

#include <QPen>

namespace platform {
namespace {

const QColor kRing(0x0b, 0x3d, 0x91);
const QColor kEdge(Qt::white);
constexpr double kCorner = 4.0;

}  // namespace

void FocusRingPainter::paint(QPainter& painter, const QRectF& rect, const QRectF& canvas) {
    if (rect.isEmpty()) return;
    const QRectF room = canvas.adjusted(kReach, kReach, -kReach, -kReach);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    // The ring's centre line sits half its width outside the rectangle, the
    // white edge one point further out.
    const QRectF ring =
        rect.adjusted(-kWidth / 2, -kWidth / 2, kWidth / 2, kWidth / 2).intersected(room);
    if (ring.isEmpty()) return;
    painter.setPen(QPen(kEdge, kWidth + 2.0));
    painter.drawRoundedRect(ring.adjusted(-1.0, -1.0, 1.0, 1.0), kCorner, kCorner);
    painter.setPen(QPen(kRing, kWidth));
    painter.drawRoundedRect(ring, kCorner, kCorner);
    painter.restore();
}

}  // namespace platform
