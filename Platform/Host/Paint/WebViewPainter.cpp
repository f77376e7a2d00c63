#include "WebViewPainter.h"

#include "HostFonts.h"
#include "ImageResolution.h"
#include "Platform/UI/WebView.h"
#include "WebContentCache.h"

#include <QFontMetricsF>
#include <QTextDocument>

namespace platform {

void WebViewPainter::paintContent(QPainter& painter, const View& view, const QRectF& bounds,
                                  PaintScene& scene, bool) const {
    const auto* webView = dynamic_cast<const WebView*>(&view);
    if (webView == nullptr) return;
    painter.save();
    painter.setClipRect(bounds, Qt::IntersectClip);
    const double pixels = ImageResolution::pixelsPerPoint(painter);
    if (QTextDocument* document =
            scene.webContent().documentFor(*webView, bounds.width(), pixels)) {
        document->drawContents(&painter, bounds);
    } else if (const auto& request = webView->request()) {
        // A page that is not local: the host shows where it points.
        painter.fillRect(bounds, QColor(0xf2, 0xf2, 0xf7));
        painter.setPen(QColor(0x6d, 0x6d, 0x72));
        painter.setFont(HostFonts::font(12));
        const QFontMetricsF metrics(painter.font());
        const QString address =
            metrics.elidedText(QString::fromStdString(request->url().absoluteString()),
                               Qt::ElideMiddle, bounds.width() - 12);
        painter.drawText(bounds, Qt::AlignCenter | Qt::TextSingleLine, address);
    }
    painter.restore();
}

}  // namespace platform
