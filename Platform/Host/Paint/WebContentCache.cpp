#include "WebContentCache.h"

#include "HostFonts.h"

#include <QAbstractTextDocumentLayout>
#include <QString>
#include <QTextBlock>
#include <QTextFragment>
#include <QTextLayout>
#include <QUrl>

#include <algorithm>
#include <cmath>

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
        entry.document = std::make_unique<ScaledTextDocument>(sharp, webView.resourceFolders());
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

std::vector<QRectF> WebContentCache::linkRects(const WebView& webView, std::size_t index) {
    std::vector<QRectF> rects;
    const auto& links = webView.links();
    if (index >= links.size()) return rects;
    QTextDocument* document = documentFor(webView, webView.presentationFrame().width);
    if (document == nullptr) return rects;
    // The n-th link to a target is the n-th stretch of the document linked to it.
    const QString href = QString::fromStdString(links[index].href);
    std::size_t sameTargetBefore = 0;
    for (std::size_t other = 0; other < index; ++other) {
        if (links[other].href == links[index].href) ++sameTargetBefore;
    }
    std::optional<AnchorRun> found;
    for (const AnchorRun& run : anchorRuns(*document)) {
        if (run.href != href) continue;
        if (sameTargetBefore-- == 0) {
            found = run;
            break;
        }
    }
    if (!found) return rects;
    QAbstractTextDocumentLayout* layout = document->documentLayout();
    for (QTextBlock block = document->findBlock(found->start);
         block.isValid() && block.position() < found->end; block = block.next()) {
        const QTextLayout* lines = block.layout();
        if (lines == nullptr) continue;
        const QPointF blockOrigin = layout->blockBoundingRect(block).topLeft();
        for (int number = 0; number < lines->lineCount(); ++number) {
            const QTextLine line = lines->lineAt(number);
            const int lineStart = block.position() + line.textStart();
            const int lineEnd = lineStart + line.textLength();
            const int from = std::max(found->start, lineStart);
            const int to = std::min(found->end, lineEnd);
            if (from >= to) continue;
            const double left = line.cursorToX(from - block.position());
            const double right = line.cursorToX(to - block.position());
            rects.emplace_back(blockOrigin.x() + std::min(left, right), blockOrigin.y() + line.y(),
                               std::abs(right - left), line.height());
        }
    }
    return rects;
}

void WebContentCache::purge() {
    // A web view that has gone leaves its entry's weak link expired, even when a
    // new web view later takes the same address.
    std::erase_if(m_entries, [](const auto& item) { return item.second.owner.expired(); });
}

}  // namespace platform
