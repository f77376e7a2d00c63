#include "TextFieldPainter.h"

#include "HostFonts.h"
#include "Platform/UI/TextField.h"

#include <QFontMetricsF>
#include <QPainterPath>

#include <algorithm>

namespace platform {
namespace {

const QColor kBorder(0xb4, 0xb4, 0xbc);
const QColor kText(0x1c, 0x1c, 0x1e);
const QColor kPlaceholder(0x8e, 0x8e, 0x93);
const QColor kCaret(0x32, 0x5f, 0xa8);
constexpr double kCornerRadius = 7.0;
constexpr double kTextInset = 8.0;

}  // namespace

void TextFieldPainter::paintContent(QPainter& painter, const View& view, const QRectF& bounds,
                                    PaintScene&, bool) const {
    const auto* field = dynamic_cast<const TextField*>(&view);
    if (field == nullptr || bounds.width() <= 2 * kTextInset || bounds.height() <= 2) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath box;
    box.addRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius, kCornerRadius);
    painter.fillPath(box, Qt::white);
    painter.setPen(QPen(kBorder, 1.0));
    painter.drawPath(box);

    const QFont font = HostFonts::font(field->fontSize());
    const QFontMetricsF metrics(font);
    const QRectF area = bounds.adjusted(kTextInset, 0, -kTextInset, 0);
    painter.setFont(font);
    painter.setClipRect(area, Qt::IntersectClip);
    const int flags = static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter) | Qt::TextSingleLine;

    const QString text = QString::fromStdString(field->text());
    const double caretX = metrics.horizontalAdvance(QString::fromStdString(
        field->text().substr(0, std::min(field->caretOffset(), field->text().size()))));
    // The text slides left as far as needed to keep the caret inside the box.
    const double shift = std::max(0.0, caretX + 1.0 - area.width());
    if (text.isEmpty()) {
        painter.setPen(kPlaceholder);
        painter.drawText(area, flags,
                         metrics.elidedText(QString::fromStdString(field->placeholder()),
                                            Qt::ElideRight, area.width()));
    } else {
        painter.setPen(kText);
        painter.drawText(area.translated(-shift, 0).adjusted(0, 0, shift, 0), flags, text);
    }
    const double x = area.left() + caretX - shift;
    const double height = std::min(metrics.height(), area.height());
    const double top = area.center().y() - height / 2;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRectF(x, top, 1.5, height), kCaret);
    painter.restore();
}

}  // namespace platform
