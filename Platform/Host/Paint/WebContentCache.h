#pragma once

#include "Platform/UI/WebView.h"
#include "ScaledTextDocument.h"

#include <QPointF>
#include <QRectF>
#include <QTextDocument>

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace platform {

// The laid-out rich text of each web view's page, made once per load and width
// and kept while the web view lives. Qt's rich text stands in for a browser:
// the banner pages are small, static HTML with images beside them.
class WebContentCache {
  public:
    // The page of `webView` laid out at `width`; null when it has no local HTML.
    // `pixelsPerPoint` is the resolution it is about to be drawn at: above 1 its
    // pictures come from their @2x files. Without it the page keeps the
    // resolution it has (for hit tests, which do not depend on it).
    QTextDocument* documentFor(const WebView& webView, double width,
                               std::optional<double> pixelsPerPoint = std::nullopt);
    // Which of the web view's links (its links() index) is under `point`, in
    // the web view's coordinates; none when the point is on no link.
    std::optional<std::size_t> linkIndexAt(const WebView& webView, QPointF point);
    // Where link `index` (its links() index) is laid out, one rectangle per
    // line it covers, in the web view's coordinates; empty when the page does
    // not show it. The inverse of linkIndexAt: a point inside a rectangle finds
    // the link again.
    std::vector<QRectF> linkRects(const WebView& webView, std::size_t index);
    // Forgets the pages of web views that have gone.
    void purge();

  private:
    struct Entry {
        std::weak_ptr<const Object> owner;  // tells a live web view from a reused address
        int loadCount = -1;
        double width = -1;
        std::unique_ptr<ScaledTextDocument> document;
    };
    std::map<const WebView*, Entry> m_entries;
};

}  // namespace platform
