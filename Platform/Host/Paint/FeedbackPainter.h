#pragma once

#include <QPainter>
#include <QRectF>

#include <functional>

namespace platform {

class ScrollView;

// Draws what the host shows over the model: the darker look of a control held
// down, a playing sound's progress ring and the scroll indicators.
class FeedbackPainter {
  public:
    // Draws what `draw` paints into `bounds`, darkened where it painted: the
    // look of a control held down, whatever its shape.
    static void drawPressed(QPainter& painter, const QRectF& bounds,
                            const std::function<void(QPainter&)>& draw);
    // A ring around the inside of `bounds`, filled clockwise from the top to
    // `progress` (0 to 1) of its length.
    static void drawPlaybackRing(QPainter& painter, const QRectF& bounds, double progress);
    // Thin bars along the right (and bottom) edge of `bounds`, the scroll
    // view's frame, showing which part of its content is in view.
    static void drawScrollIndicators(QPainter& painter, const ScrollView& scrollView,
                                     const QRectF& bounds, double opacity);
};

}  // namespace platform
