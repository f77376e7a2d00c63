#include "WebContentCache.h"

#include "HostFonts.h"

#include <QAbstractTextDocumentLayout>
#include <QString>
#include <QTextBlock>
#include <QTextFragment>
#include <QUrl>

#include <vector>

namespace platform {
namespace {

// A stretch of the document that one link covers: consecutive fragments with the
// same target (a link whose text changes style is several fragments).
struct AnchorRun {
    QString href;
    int start = 0;
    int end = 0;
};

std::vector<AnchorRun> anchorRuns(const QTextDocument& document) {
    std::vector<AnchorRun> runs;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) continue;
            const QTextCharFormat format = fragment.charFormat();
            if (!format.isAnchor() || format.anchorHref().isEmpty()) continue;
            const int start = fragment.position();
            const int end = start + fragment.length();
            if (!runs.empty() && runs.back().href == format.anchorHref() &&
                runs.back().end == start) {
                runs.back().end = end;
            } else {
                runs.push_back({format.anchorHref(), start, end});
            }
        }
    }
    return runs;
}

}  // namespace

QTextDocument* WebContentCache::documentFor(const WebView& webView, double width,
                                            std::optional<double> pixelsPerPoint) {
    purge();
    if (webView.html().empty()) {
        m_entries.erase(&webView);
        return nullptr;
    }
    Entry& entry = m_entries[&webView];
    const bool sharp = pixelsPerPoint ? *pixelsPerPoint > 1.0 + 1e-6
                                      : entry.document && entry.document->isDoubleResolution();
    if (!entry.document || entry.loadCount != webView.loadCount() ||
        entry.document->isDoubleResolution() != sharp) {
        entry.owner = webView.weak_from_this();
        entry.loadCount = webView.loadCount();
        entry.width = -1;
        entry.document = std::make_unique<ScaledTextDocument>(sharp);
        entry.document->setDefaultFont(HostFonts::font(12));
        entry.document->setDocumentMargin(0);
        if (const auto& base = webView.baseDirectory()) {
            // The trailing slash makes relative names resolve inside the folder.
            entry.document->setBaseUrl(
                QUrl::fromLocalFile(QString::fromStdString(base->string()) + QLatin1Char('/')));
        }
        entry.document->setHtml(QString::fromStdString(webView.html()));
    }
    if (entry.width != width) {
        entry.width = width;
        entry.document->setTextWidth(width);
    }
    return entry.document.get();
}

std::optional<std::size_t> WebContentCache::linkIndexAt(const WebView& webView, QPointF point) {
    const double width = webView.presentationFrame().width;
    QTextDocument* document = documentFor(webView, width);
    if (document == nullptr) return std::nullopt;
    QAbstractTextDocumentLayout* layout = document->documentLayout();
    const QString href = layout->anchorAt(point);
    if (href.isEmpty()) return std::nullopt;
    const int position = layout->hitTest(point, Qt::FuzzyHit);

    // The same target may be linked more than once: the n-th link to it in the
    // page is the n-th one among the web view's links.
    std::size_t sameTargetBefore = 0;
    for (const AnchorRun& run : anchorRuns(*document)) {
        if (run.href != href) continue;
        if (position >= run.start && position <= run.end) break;
        ++sameTargetBefore;
    }
    const std::string target = href.toStdString();
    const auto& links = webView.links();
    std::optional<std::size_t> first;
    std::size_t seen = 0;
    for (std::size_t index = 0; index < links.size(); ++index) {
        if (links[index].href != target) continue;
        if (!first) first = index;
        if (seen++ == sameTargetBefore) return index;
    }
    return first;
}

void WebContentCache::purge() {
    // A web view that has gone leaves its entry's weak link expired, even when a
    // new web view later takes the same address.
    std::erase_if(m_entries, [](const auto& item) { return item.second.owner.expired(); });
}

}  // namespace platform
