#pragma once

#include "CanvasScale.h"

#include <QRectF>
#include <QSize>
#include <QSizeF>

#include <optional>

namespace platform {

// How large a window that shows the page canvas is, and at what scale the
// canvas is drawn in it. Three things decide it and each is kept apart:
//  - the zoom the user asked for (Zoom In, Zoom Out, Actual Size, a kept zoom);
//  - the window size the user chose by resizing, never thrown away by a zoom:
//    a zoom makes a normal window at least that large, and larger only as far
//    as the canvas at the zoom needs;
//  - the room the screen has: a window never grows past its free area, and a
//    zoom beyond that scales the canvas inside the window instead.
// The canvas always fits whole: its scale is the largest that fits the area in
// both width and height, and no larger than the zoom while the window keeps
// the size the zoom gave it (a window resized after that shows the scale that
// fits, as a user who drags a window's edge expects). A value: no widget.
class WindowPlacement {
  public:
    explicit WindowPlacement(QSizeF canvas = QSizeF(320, 480)) : m_canvas(canvas) {}

    QSizeF canvas() const { return m_canvas; }
    // The window size a zoom was last set for (what the host resized to).
    QSize zoomSize() const { return m_zoomSize; }
    // The size the user chose for the window, when one was chosen.
    std::optional<QSize> userSize() const { return m_userSize; }

    // The window starts at `size` and shows the canvas at the scale that fits it.
    void start(QSize size, int barHeight);
    // Sets the zoom for a window that is now `current` large, `maximised` or
    // not, with `barHeight` above the canvas and `room` the largest size the
    // screen leaves it (empty: no limit known). Returns the size a normal
    // window is to take; a maximised one keeps its size.
    QSize setZoom(double zoom, QSize current, bool maximised, int barHeight, QSize room);
    // The scale and place of the canvas in `area`, a window `windowSize` large.
    CanvasScale scaleIn(QRectF area, QSize windowSize, double devicePixelRatio) const;
    // The size a window starts at for `zoom`, within `room` (empty: no limit).
    QSize sizeFor(double zoom, int barHeight, QSize room) const;

  private:
    QSizeF m_canvas;
    double m_zoom = 1.0;
    QSize m_zoomSize;
    std::optional<QSize> m_userSize;
};

}  // namespace platform
