#include "ControlPainter.h"

#include "DrawnText.h"
#include "HostFonts.h"
#include "ImageBridge.h"
#include "ImageResolution.h"
#include "Platform/UI/Button.h"
#include "Platform/UI/Switch.h"

#include <QLinearGradient>
#include <QPainterPath>

#include <algorithm>

namespace platform {
namespace {

const QColor kBarButtonTop(0x7f, 0x95, 0xb4);
const QColor kBarButtonBottom(0x4c, 0x66, 0x8c);
const QColor kBarButtonBorder(0x36, 0x4a, 0x68);
const QColor kControlBlue(0x32, 0x5f, 0xa8);
const QColor kSwitchOn(0x4c, 0xd9, 0x64);
const QColor kSwitchOff(0xe5, 0xe5, 0xea);
const QColor kSwitchBorder(0xc7, 0xc7, 0xcc);
// QColor::darker's factor for a bar button held down.
constexpr int kPressedDarkness = 140;

float clampUnit(float value) {
    return std::clamp(value, 0.0f, 1.0f);
}

// A square of `side` centred in `rect`.
QRectF centredSquare(const QRectF& rect, double side) {
    return QRectF(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
}

}  // namespace

QColor ControlPainter::toQColor(const Color& color) {
    return QColor::fromRgbF(clampUnit(color.red), clampUnit(color.green), clampUnit(color.blue),
                            clampUnit(color.alpha));
}

void ControlPainter::drawImage(QPainter& painter, const Image& image, const QRectF& target,
                               bool fitInside) {
    if (image.width() <= 0 || image.height() <= 0 || target.isEmpty()) return;
    // Placed by the 1x drawing's size in points; drawn from the pixels that fit.
    const QImage picture = ImageBridge::borrow(
        ImageResolution::forScale(image, ImageResolution::pixelsPerPoint(painter)));
    if (picture.isNull()) return;
    QRectF destination = target;
    if (fitInside) {
        const double scale =
            std::min({1.0, target.width() / image.width(), target.height() / image.height()});
        const QSizeF size(image.width() * scale, image.height() * scale);
        destination = QRectF(target.center().x() - size.width() / 2,
                             target.center().y() - size.height() / 2, size.width(), size.height());
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(destination, picture);
    painter.restore();
}

void ControlPainter::drawButton(QPainter& painter, const Button& button, const QRectF& bounds) {
    painter.save();
    if (!button.isEnabled()) painter.setOpacity(painter.opacity() * 0.5);
    painter.setRenderHint(QPainter::Antialiasing);
    const std::string& style = button.style();
    if (style == "info") {
        drawInfoGlyph(painter, bounds);
    } else {
        if (style != "custom") {
            painter.setPen(QPen(QColor(0xa8, 0xb1, 0xc0), 1));
            painter.setBrush(Qt::white);
            painter.drawRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), 9, 9);
        }
        if (const auto& image = button.image()) {
            drawImage(painter, *image, bounds, style != "custom");
        }
        if (!button.title().empty()) {
            painter.setFont(HostFonts::font(15, true));
            painter.setPen(style == "custom" ? QColor(Qt::black) : kControlBlue);
            painter.drawText(bounds, Qt::AlignCenter | Qt::TextSingleLine,
                             DrawnText::of(button.title()));
        }
    }
    painter.restore();
}

void ControlPainter::drawSwitch(QPainter& painter, const Switch& control, const QRectF& bounds) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double height = std::min(bounds.height(), 31.0);
    const double width = std::min(bounds.width(), 51.0);
    const QRectF track(bounds.left() + (bounds.width() - width) / 2,
                       bounds.top() + (bounds.height() - height) / 2, width, height);
    const double radius = height / 2;
    painter.setPen(QPen(control.isOn() ? kSwitchOn : kSwitchBorder, 1));
    painter.setBrush(control.isOn() ? kSwitchOn : kSwitchOff);
    painter.drawRoundedRect(track.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    const double knob = height - 4;
    const double knobX = control.isOn() ? track.right() - 2 - knob : track.left() + 2;
    painter.setPen(QPen(kSwitchBorder, 1));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(knobX, track.top() + 2, knob, knob));
    painter.restore();
}

void ControlPainter::drawBarButtonBody(QPainter& painter, const QRectF& rect, bool pointed,
                                       bool pressed) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath body;
    const QRectF r = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    constexpr double radius = 5.0;
    if (pointed) {
        const double tip = 10.0;
        body.moveTo(r.left(), r.center().y());
        body.lineTo(r.left() + tip, r.top());
        body.lineTo(r.right() - radius, r.top());
        body.quadTo(r.right(), r.top(), r.right(), r.top() + radius);
        body.lineTo(r.right(), r.bottom() - radius);
        body.quadTo(r.right(), r.bottom(), r.right() - radius, r.bottom());
        body.lineTo(r.left() + tip, r.bottom());
        body.closeSubpath();
    } else {
        body.addRoundedRect(r, radius, radius);
    }
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, pressed ? kBarButtonTop.darker(kPressedDarkness) : kBarButtonTop);
    fill.setColorAt(1, pressed ? kBarButtonBottom.darker(kPressedDarkness) : kBarButtonBottom);
    painter.setPen(QPen(kBarButtonBorder, 1));
    painter.setBrush(fill);
    painter.drawPath(body);
    painter.restore();
}

void ControlPainter::drawAddGlyph(QPainter& painter, const QRectF& rect) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square = centredSquare(rect, 14);
    painter.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(square.center().x(), square.top()),
                     QPointF(square.center().x(), square.bottom()));
    painter.drawLine(QPointF(square.left(), square.center().y()),
                     QPointF(square.right(), square.center().y()));
    painter.restore();
}

void ControlPainter::drawTrashGlyph(QPainter& painter, const QRectF& rect) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square = centredSquare(rect, 18);
    painter.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    // Lid with its handle, then the can narrowing towards the bottom, then its ribs.
    const double lidY = square.top() + 4;
    painter.drawLine(QPointF(square.left() + 1, lidY), QPointF(square.right() - 1, lidY));
    painter.drawRect(QRectF(square.center().x() - 3, square.top() + 1, 6, 3));
    QPainterPath can;
    can.moveTo(square.left() + 3, lidY + 2);
    can.lineTo(square.left() + 5, square.bottom() - 1);
    can.lineTo(square.right() - 5, square.bottom() - 1);
    can.lineTo(square.right() - 3, lidY + 2);
    painter.drawPath(can);
    for (double x : {-2.5, 0.0, 2.5}) {
        painter.drawLine(QPointF(square.center().x() + x, lidY + 5),
                         QPointF(square.center().x() + x, square.bottom() - 4));
    }
    painter.restore();
}

void ControlPainter::drawInfoGlyph(QPainter& painter, const QRectF& rect) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double side = std::max(8.0, std::min({rect.width(), rect.height(), 22.0}) - 2);
    const QRectF circle = centredSquare(rect, side);
    painter.setPen(QPen(kControlBlue, 2));
    painter.setBrush(Qt::white);
    painter.drawEllipse(circle);
    painter.setPen(kControlBlue);
    painter.setFont(HostFonts::font(side * 0.7, true));
    painter.drawText(circle, Qt::AlignCenter, QStringLiteral("i"));
    painter.restore();
}

void ControlPainter::drawDisclosureIndicator(QPainter& painter, const QRectF& rowRect,
                                             bool highlighted) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double x = rowRect.right() - 18;
    const double y = rowRect.center().y();
    const QColor colour = highlighted ? QColor(Qt::white) : QColor(0x9a, 0x9a, 0xa0);
    painter.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(
        QPolygonF({QPointF(x - 4, y - 6), QPointF(x + 2, y), QPointF(x - 4, y + 6)}));
    painter.restore();
}

}  // namespace platform
