#include "FeedbackPainter.h"

#include "Platform/UI/ScrollView.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace platform {
namespace {

const QColor kPressedShade(0, 0, 0, 70);
const QColor kRingTrack(255, 255, 255, 170);
const QColor kRingFill(0x0a, 0x3d, 0x8f);
constexpr double kRingWidth = 6.0;
const QColor kIndicator(0, 0, 0, 115);
constexpr double kIndicatorWidth = 3.0;
constexpr double kIndicatorInset = 2.0;
constexpr double kIndicatorMinimumLength = 24.0;

// Where along `room` an indicator for `visible` of `content` points sits when
// scrolled `offset` in; none when everything fits.
std::optional<std::pair<double, double>> indicatorSpan(double visible, double content,
                                                       double offset, double room) {
    if (!(content > visible) || visible <= 0 || room <= 0) return std::nullopt;
    const double length =
        std::clamp(room * visible / content, std::min(kIndicatorMinimumLength, room), room);
    const double travel = std::clamp(offset / (content - visible), 0.0, 1.0);
    return std::pair{travel * (room - length), length};
}

}  // namespace

void FeedbackPainter::drawPressed(QPainter& painter, const QRectF& bounds,
                                  const std::function<void(QPainter&)>& draw) {
    // Drawn apart at the device's resolution, so the shade covers exactly what was drawn.
    const double scale = std::max(1.0, std::abs(painter.deviceTransform().m11()));
    const QSize pixels(static_cast<int>(std::ceil(bounds.right() * scale)),
                       static_cast<int>(std::ceil(bounds.bottom() * scale)));
    if (pixels.isEmpty()) return;
    QImage layer(pixels, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(scale);
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        layerPainter.setRenderHints(painter.renderHints());
        draw(layerPainter);
        layerPainter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        layerPainter.fillRect(bounds, kPressedShade);
    }
    painter.drawImage(QPointF(0, 0), layer);
}

void FeedbackPainter::drawPlaybackRing(QPainter& painter, const QRectF& bounds, double progress) {
    const double side = std::min(bounds.width(), bounds.height()) - kRingWidth;
    if (side <= 0) return;
    const QRectF circle(bounds.center().x() - side / 2, bounds.center().y() - side / 2, side, side);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kRingTrack, kRingWidth));
    painter.drawEllipse(circle);
    // Qt's angles are sixteenths of a degree, counter-clockwise from three o'clock.
    const int span = static_cast<int>(std::lround(std::clamp(progress, 0.0, 1.0) * 360 * 16));
    painter.setPen(QPen(kRingFill, kRingWidth, Qt::SolidLine, Qt::FlatCap));
    if (span > 0) painter.drawArc(circle, 90 * 16, -span);
    painter.restore();
}

void FeedbackPainter::drawScrollIndicators(QPainter& painter, const ScrollView& scrollView,
                                           const QRectF& bounds, double opacity) {
    if (opacity <= 0) return;
    const Size content = scrollView.contentSize();
    const Point offset = scrollView.contentOffset();
    const double inset = kIndicatorInset;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(painter.opacity() * std::min(opacity, 1.0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kIndicator);
    const double radius = kIndicatorWidth / 2;
    if (const auto span =
            indicatorSpan(bounds.height(), content.height, offset.y, bounds.height() - 2 * inset)) {
        painter.drawRoundedRect(
            QRectF(bounds.right() - inset - kIndicatorWidth, bounds.top() + inset + span->first,
                   kIndicatorWidth, span->second),
            radius, radius);
    }
    if (const auto span = indicatorSpan(bounds.width(), content.width, offset.x,
                                        bounds.width() - 2 * inset - kIndicatorWidth)) {
        painter.drawRoundedRect(
            QRectF(bounds.left() + inset + span->first, bounds.bottom() - inset - kIndicatorWidth,
                   span->second, kIndicatorWidth),
            radius, radius);
    }
    painter.restore();
}

}  // namespace platform
