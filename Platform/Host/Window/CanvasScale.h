#pragma once

#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QTransform>

#include <optional>

namespace platform {

// Where the page canvas sits in the window, and how large. The pages are laid
// out for one canvas size (a phone screen of 320 x 480 points); the window
// shows that canvas scaled uniformly and centred in its drawing area, and the
// rest of the area is margin. Input maps back through the inverse, so a click
// lands on the same model point that was drawn under it. A value: it holds no
// window and may be kept or copied freely.
class CanvasScale {
  public:
    static constexpr double kMinimumZoom = 0.5;
    static constexpr double kMaximumZoom = 4.0;
    // The logical DPI at which one canvas point is one logical pixel.
    static constexpr double kReferenceDpi = 96.0;

    // The canvas of `canvas` points drawn `scale` times as large, centred in
    // `area` (widget coordinates), its corner on a whole device pixel of a
    // screen of `devicePixelRatio`.
    CanvasScale(QSizeF canvas, QRectF area, double scale, double devicePixelRatio = 1.0);

    static double clampZoom(double zoom);
    // The largest scale at which `canvas` fits in `area`, within the zoom range
    // (a smaller area than the least zoom needs shows the canvas cut).
    static double fit(QSizeF canvas, QSizeF area);
    // The window size, in whole logical pixels, that holds `canvas` at `zoom`:
    // rounded up, so the fit of that size is never less than `zoom`.
    static QSize areaFor(QSizeF canvas, double zoom);
    // The zoom a window starts at: the screen's logical DPI over 96, to the
    // nearest quarter, so a dense screen that the desktop does not scale still
    // shows the pages at a readable size; no larger than fits `available`, and
    // never below 1 (the pages are never shown smaller than they were made).
    static double defaultZoom(double logicalDpi, QSizeF canvas, QSizeF available);
    // The pixels of a frame of `canvas` drawn at `pixelsPerPoint`.
    static QSize framePixels(QSizeF canvas, double pixelsPerPoint);

    double scale() const { return m_scale; }
    // The canvas on screen, in widget coordinates.
    QRectF canvasRect() const;
    QTransform modelToWidget() const;
    QTransform widgetToModel() const;
    // The model point under `widgetPoint`; none in the margin.
    std::optional<QPointF> toModel(QPointF widgetPoint) const;

  private:
    QSizeF m_canvas;
    double m_scale;
    QPointF m_origin;
};

}  // namespace platform
