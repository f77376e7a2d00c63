#include "CanvasScale.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

// Zooms the default picks from the screen's DPI come in quarter steps.
constexpr double kDefaultZoomStep = 0.25;

double roundToDevicePixel(double logical, double devicePixelRatio) {
    return std::round(logical * devicePixelRatio) / devicePixelRatio;
}

}  // namespace

CanvasScale::CanvasScale(QSizeF canvas, QRectF area, double scale, double devicePixelRatio)
    : m_canvas(canvas), m_scale(scale > 0 && std::isfinite(scale) ? scale : 1.0) {
    const double ratio =
        devicePixelRatio > 0 && std::isfinite(devicePixelRatio) ? devicePixelRatio : 1.0;
    const double left = area.left() + (area.width() - canvas.width() * m_scale) / 2;
    const double top = area.top() + (area.height() - canvas.height() * m_scale) / 2;
    m_origin = QPointF(roundToDevicePixel(left, ratio), roundToDevicePixel(top, ratio));
}

double CanvasScale::clampZoom(double zoom) {
    if (!std::isfinite(zoom)) return 1.0;
    return std::clamp(zoom, kMinimumZoom, kMaximumZoom);
}

double CanvasScale::fit(QSizeF canvas, QSizeF area) {
    if (canvas.isEmpty() || area.isEmpty()) return kMinimumZoom;
    return clampZoom(std::min(area.width() / canvas.width(), area.height() / canvas.height()));
}

QSize CanvasScale::areaFor(QSizeF canvas, double zoom) {
    const double scale = clampZoom(zoom);
    return QSize(static_cast<int>(std::ceil(canvas.width() * scale - 1e-9)),
                 static_cast<int>(std::ceil(canvas.height() * scale - 1e-9)));
}

double CanvasScale::defaultZoom(double logicalDpi, QSizeF canvas, QSizeF available) {
    double zoom = 1.0;
    if (logicalDpi > 0 && std::isfinite(logicalDpi)) {
        zoom = std::round(logicalDpi / kReferenceDpi / kDefaultZoomStep) * kDefaultZoomStep;
    }
    if (!available.isEmpty()) zoom = std::min(zoom, fit(canvas, available));
    return std::max(1.0, clampZoom(zoom));
}

QSize CanvasScale::framePixels(QSizeF canvas, double pixelsPerPoint) {
    return QSize(static_cast<int>(std::ceil(canvas.width() * pixelsPerPoint - 1e-9)),
                 static_cast<int>(std::ceil(canvas.height() * pixelsPerPoint - 1e-9)));
}

QRectF CanvasScale::canvasRect() const {
    return QRectF(m_origin, m_canvas * m_scale);
}

QTransform CanvasScale::modelToWidget() const {
    return QTransform(m_scale, 0, 0, m_scale, m_origin.x(), m_origin.y());
}

QTransform CanvasScale::widgetToModel() const {
    return QTransform(1 / m_scale, 0, 0, 1 / m_scale, -m_origin.x() / m_scale,
                      -m_origin.y() / m_scale);
}

std::optional<QPointF> CanvasScale::toModel(QPointF widgetPoint) const {
    const QPointF model = widgetToModel().map(widgetPoint);
    if (model.x() < 0 || model.y() < 0 || model.x() >= m_canvas.width() ||
        model.y() >= m_canvas.height()) {
        return std::nullopt;
    }
    return model;
}

}  // namespace platform
