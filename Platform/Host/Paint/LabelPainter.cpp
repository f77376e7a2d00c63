#include "LabelPainter.h"

#include "ControlPainter.h"
#include "DrawnText.h"
#include "HostFonts.h"
#include "Platform/UI/Label.h"

#include <QFontMetricsF>

#include <algorithm>

namespace platform {

void LabelPainter::paintContent(QPainter& painter, const View& view, const QRectF& bounds,
                                PaintScene&, bool highlighted) const {
    const auto* label = dynamic_cast<const Label*>(&view);
    if (label == nullptr || label->text().empty() || bounds.isEmpty()) return;
    const QFont font = HostFonts::font(label->fontSize(), label->isBold());
    const QFontMetricsF metrics(font);
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (label->textAlignment() == kTextAlignmentCenter) horizontal = Qt::AlignHCenter;
    if (label->textAlignment() == kTextAlignmentRight) horizontal = Qt::AlignRight;

    painter.save();
    painter.setFont(font);
    painter.setPen(highlighted ? QColor(Qt::white) : ControlPainter::toQColor(label->textColor()));
    painter.setClipRect(bounds, Qt::IntersectClip);
    const QString content = DrawnText::of(label->text());
    if (label->numberOfLines() == 1) {
        const QString shown = metrics.elidedText(content, Qt::ElideRight, bounds.width());
        painter.drawText(
            bounds, static_cast<int>(horizontal | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
    } else {
        // Wrapped text sits in the middle of the label, as a phone label does,
        // limited to the label's number of lines (0: as many as fit).
        const int flags = static_cast<int>(horizontal) | Qt::TextWordWrap;
        QRectF needed = metrics.boundingRect(bounds, flags, content);
        double height = std::min(needed.height(), bounds.height());
        if (label->numberOfLines() > 1) {
            height = std::min(height, label->numberOfLines() * metrics.lineSpacing());
        }
        const QRectF area(bounds.left(), bounds.top() + (bounds.height() - height) / 2,
                          bounds.width(), height);
        painter.setClipRect(area, Qt::IntersectClip);
        painter.drawText(QRectF(area.left(), area.top(), area.width(), needed.height()), flags,
                         content);
    }
    painter.restore();
}

}  // namespace platform
