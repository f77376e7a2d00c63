#include "WindowPlacement.h"

#include <algorithm>

namespace platform {

void WindowPlacement::start(QSize size, int barHeight) {
    m_zoom = CanvasScale::fit(m_canvas, QSizeF(size - QSize(0, barHeight)));
    m_zoomSize = size;
}

QSize WindowPlacement::sizeFor(double zoom, int barHeight, QSize room) const {
    QSize size = CanvasScale::areaFor(m_canvas, zoom) + QSize(0, barHeight);
    if (!room.isEmpty()) size = size.boundedTo(room);
    return size;
}

QSize WindowPlacement::setZoom(double zoom, QSize current, bool maximised, int barHeight,
                               QSize room) {
    m_zoom = CanvasScale::clampZoom(zoom);
    if (maximised) {
        m_zoomSize = current;
        return current;
    }
    // A size the window has that no zoom gave it was chosen by the user (or
    // restored from the one they left): it stays the least the window is.
    if (current != m_zoomSize && !current.isEmpty()) m_userSize = current;
    QSize wanted = CanvasScale::areaFor(m_canvas, m_zoom) + QSize(0, barHeight);
    if (m_userSize) wanted = wanted.expandedTo(*m_userSize);
    if (!room.isEmpty()) wanted = wanted.boundedTo(room);
    m_zoomSize = wanted;
    return wanted;
}

CanvasScale WindowPlacement::scaleIn(QRectF area, QSize windowSize, double devicePixelRatio) const {
    // Whole, whatever the window's size: below the least zoom the canvas still
    // shrinks to what fits rather than being cut.
    const QSizeF room = area.size();
    double scale =
        m_canvas.isEmpty() || room.isEmpty()
            ? CanvasScale::kMinimumZoom
            : std::min(room.width() / m_canvas.width(), room.height() / m_canvas.height());
    if (windowSize == m_zoomSize) scale = std::min(scale, m_zoom);
    scale = std::min(scale, CanvasScale::kMaximumZoom);
    return CanvasScale(m_canvas, area, std::max(scale, 0.01), devicePixelRatio);
}

}  // namespace platform
