#include "ModelPainter.h"

#include "ControlPainter.h"
#include "HostFonts.h"
#include "NavigationBarLayout.h"
#include "PageTransitions.h"
#include "Platform/UI/Button.h"
#include "Platform/UI/ImageView.h"
#include "Platform/UI/Label.h"
#include "Platform/UI/Switch.h"
#include "Platform/UI/TableView.h"
#include "Platform/UI/WebView.h"
#include "WebContentCache.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <QTextDocument>

#include <algorithm>

namespace platform {
namespace {

const QColor kBarTop(0xb0, 0xbc, 0xcd);
const QColor kBarBottom(0x6d, 0x84, 0xa2);
const QColor kBarEdge(0x2d, 0x36, 0x42);
const QColor kGroupedBackground(0xef, 0xef, 0xf4);
const QColor kGroupedBorder(0xc8, 0xc7, 0xcc);
const QColor kSelectionTop(0x05, 0x8c, 0xf5);
const QColor kSelectionBottom(0x01, 0x5f, 0xe6);
constexpr double kGroupedInset = 10.0;

QRectF boundsOf(const Rect& frame) {
    return QRectF(0, 0, frame.width, frame.height);
}

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

}  // namespace

void ModelPainter::paint(QPainter& painter, const View& root, const NavigationSites& sites,
                         double now, double pageShake) {
    const Pass pass{sites, now, pageShake};
    paintView(painter, root, pass, false);
}

void ModelPainter::paintView(QPainter& painter, const View& view, const Pass& pass,
                             bool highlighted) {
    if (view.isHidden()) return;
    const double alpha = view.presentationAlpha();
    if (alpha <= 0.0) return;
    const Rect frame = view.presentationFrame();
    const QRectF bounds = boundsOf(frame);

    painter.save();
    painter.translate(frame.x, frame.y);
    painter.setOpacity(painter.opacity() * alpha);
    if (const NavigationSite* site = pass.sites.forView(&view)) {
        paintOwnContent(painter, view, bounds, highlighted);
        paintStack(painter, *site, pass);
    } else if (const auto* table = dynamic_cast<const TableView*>(&view)) {
        paintTable(painter, *table, pass);
    } else {
        paintOwnContent(painter, view, bounds, highlighted);
        // Scroll views always clip, like their phone counterparts.
        if (view.clipsToBounds() || dynamic_cast<const ScrollView*>(&view) != nullptr) {
            painter.setClipRect(bounds, Qt::IntersectClip);
        }
        paintSubviews(painter, view, pass, highlighted);
    }
    painter.restore();
}

void ModelPainter::paintSubviews(QPainter& painter, const View& view, const Pass& pass,
                                 bool highlighted) {
    const Point origin = view.boundsOrigin();
    painter.save();
    painter.translate(-origin.x, -origin.y);
    for (const auto& subview : view.subviews()) paintView(painter, *subview, pass, highlighted);
    painter.restore();
}

void ModelPainter::paintOwnContent(QPainter& painter, const View& view, const QRectF& bounds,
                                   bool highlighted) {
    if (const auto& background = view.backgroundColor(); background && background->alpha > 0) {
        painter.fillRect(bounds, ControlPainter::toQColor(*background));
    }
    if (const auto* label = dynamic_cast<const Label*>(&view)) {
        paintLabel(painter, *label, bounds, highlighted);
    } else if (const auto* imageView = dynamic_cast<const ImageView*>(&view)) {
        if (const auto& image = imageView->image())
            ControlPainter::drawImage(painter, *image, bounds);
    } else if (const auto* button = dynamic_cast<const Button*>(&view)) {
        ControlPainter::drawButton(painter, *button, bounds);
    } else if (const auto* control = dynamic_cast<const Switch*>(&view)) {
        ControlPainter::drawSwitch(painter, *control, bounds);
    } else if (const auto* webView = dynamic_cast<const WebView*>(&view)) {
        paintWeb(painter, *webView, bounds);
    }
}

void ModelPainter::paintLabel(QPainter& painter, const Label& label, const QRectF& bounds,
                              bool highlighted) {
    if (label.text().empty() || bounds.isEmpty()) return;
    const QFont font = HostFonts::font(label.fontSize(), label.isBold());
    const QFontMetricsF metrics(font);
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (label.textAlignment() == kTextAlignmentCenter) horizontal = Qt::AlignHCenter;
    if (label.textAlignment() == kTextAlignmentRight) horizontal = Qt::AlignRight;

    painter.save();
    painter.setFont(font);
    painter.setPen(highlighted ? QColor(Qt::white) : ControlPainter::toQColor(label.textColor()));
    painter.setClipRect(bounds, Qt::IntersectClip);
    const QString content = text(label.text());
    if (label.numberOfLines() == 1) {
        const QString shown = metrics.elidedText(content, Qt::ElideRight, bounds.width());
        painter.drawText(
            bounds, static_cast<int>(horizontal | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
    } else {
        // Wrapped text sits in the middle of the label, as a phone label does,
        // limited to the label's number of lines (0: as many as fit).
        const int flags = static_cast<int>(horizontal) | Qt::TextWordWrap;
        QRectF needed = metrics.boundingRect(bounds, flags, content);
        double height = std::min(needed.height(), bounds.height());
        if (label.numberOfLines() > 1) {
            height = std::min(height, label.numberOfLines() * metrics.lineSpacing());
        }
        const QRectF area(bounds.left(), bounds.top() + (bounds.height() - height) / 2,
                          bounds.width(), height);
        painter.setClipRect(area, Qt::IntersectClip);
        painter.drawText(QRectF(area.left(), area.top(), area.width(), needed.height()), flags,
                         content);
    }
    painter.restore();
}

void ModelPainter::paintWeb(QPainter& painter, const WebView& webView, const QRectF& bounds) {
    painter.save();
    painter.setClipRect(bounds, Qt::IntersectClip);
    if (QTextDocument* document = m_web.documentFor(webView, bounds.width())) {
        document->drawContents(&painter, bounds);
    } else if (const auto& request = webView.request()) {
        // A page that is not local: the host shows where it points.
        painter.fillRect(bounds, QColor(0xf2, 0xf2, 0xf7));
        painter.setPen(QColor(0x6d, 0x6d, 0x72));
        painter.setFont(HostFonts::font(12));
        const QFontMetricsF metrics(painter.font());
        const QString address = metrics.elidedText(text(request->url().absoluteString()),
                                                   Qt::ElideMiddle, bounds.width() - 12);
        painter.drawText(bounds, Qt::AlignCenter | Qt::TextSingleLine, address);
    }
    painter.restore();
}

void ModelPainter::paintTable(QPainter& painter, const TableView& table, const Pass& pass) {
    const Rect frame = table.presentationFrame();
    const QRectF bounds = boundsOf(frame);
    const bool grouped = table.style() == kTableViewStyleGrouped;
    painter.fillRect(bounds, grouped ? kGroupedBackground : QColor(Qt::white));
    if (const auto& background = table.backgroundColor(); background && background->alpha > 0) {
        painter.fillRect(bounds, ControlPainter::toQColor(*background));
    }
    painter.setClipRect(bounds, Qt::IntersectClip);
    const Point offset = table.contentOffset();
    painter.save();
    painter.translate(-offset.x, -offset.y);
    const auto cells = table.visibleCells();
    for (const auto& [indexPath, cell] : cells) {
        if (cell) paintCell(painter, table, indexPath, *cell, pass);
    }
    // Anything else a table holds sits above its rows.
    for (const auto& subview : table.subviews()) {
        const bool isRow = std::any_of(cells.begin(), cells.end(),
                                       [&](const auto& row) { return row.second == subview; });
        if (!isRow) paintView(painter, *subview, pass, false);
    }
    painter.restore();
}

void ModelPainter::paintCell(QPainter& painter, const TableView& table, IndexPath indexPath,
                             const TableViewCell& cell, const Pass& pass) {
    if (cell.isHidden() || cell.presentationAlpha() <= 0.0) return;
    const Rect frame = cell.presentationFrame();
    const QRectF bounds = boundsOf(frame);
    const bool grouped = table.style() == kTableViewStyleGrouped;
    const bool first = indexPath.row == 0;
    const bool last = indexPath.row + 1 >= table.numberOfRowsInSection(indexPath.section);
    const QRectF row = grouped ? bounds.adjusted(kGroupedInset, 0, -kGroupedInset, 0) : bounds;

    painter.save();
    painter.translate(frame.x, frame.y);
    painter.setOpacity(painter.opacity() * cell.presentationAlpha());
    painter.setRenderHint(QPainter::Antialiasing);

    QPainterPath shape;
    if (grouped && (first || last)) {
        // Rounded ends at the top and bottom of each section.
        constexpr double radius = 8.0;
        const QRectF edge = row.adjusted(0.5, 0.5, -0.5, -0.5);
        shape.addRoundedRect(edge, radius, radius);
        if (!(first && last)) {
            QPainterPath square;
            square.addRect(edge.adjusted(0, first ? radius : 0, 0, last ? -radius : 0));
            shape = shape.united(square);
        }
    } else {
        shape.addRect(row);
    }
    QBrush fill(Qt::white);
    if (cell.isSelected()) {
        QLinearGradient selection(row.topLeft(), row.bottomLeft());
        selection.setColorAt(0, kSelectionTop);
        selection.setColorAt(1, kSelectionBottom);
        fill = QBrush(selection);
    } else if (const auto& background = cell.backgroundColor(); background) {
        fill = QBrush(ControlPainter::toQColor(*background));
    }
    painter.setPen(grouped ? QPen(kGroupedBorder, 1) : QPen(Qt::NoPen));
    painter.setBrush(fill);
    painter.drawPath(shape);

    // The line under the row, in the table's separator colour; grouped
    // sections close with their border instead.
    if (!grouped || !last) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(ControlPainter::toQColor(table.separatorColor()), 1));
        const double y = row.bottom() - 1;
        painter.drawLine(QPointF(row.left() + TableViewCell::kTextInset, y),
                         QPointF(row.right(), y));
        painter.setRenderHint(QPainter::Antialiasing);
    }
    paintSubviews(painter, cell, pass, cell.isSelected());
    if (cell.accessoryType() == kTableViewCellAccessoryDisclosureIndicator) {
        ControlPainter::drawDisclosureIndicator(painter, row, cell.isSelected());
    }
    painter.restore();
}

void ModelPainter::paintStack(QPainter& painter, const NavigationSite& site, const Pass& pass) {
    const Rect frame = site.view->presentationFrame();
    const QRectF bounds = boundsOf(frame);
    painter.save();
    painter.setClipRect(bounds, Qt::IntersectClip);
    const double width = bounds.width();
    const auto slide = m_transitions.slideFor(*site.controller, pass.now);
    if (slide && slide->outgoing != nullptr) {
        const double outgoing =
            slide->direction > 0 ? -slide->progress * width : slide->progress * width;
        painter.drawImage(QPointF(outgoing, NavigationController::kNavigationBarHeight),
                          *slide->outgoing);
    }
    double incoming = pass.pageShake;
    if (slide) {
        incoming += (slide->direction > 0 ? 1.0 : -1.0) * (1.0 - slide->progress) * width;
    }
    const Point origin = site.view->boundsOrigin();
    painter.translate(-origin.x, -origin.y);
    for (const auto& subview : site.view->subviews()) {
        if (subview.get() == site.bar) continue;
        painter.save();
        painter.translate(incoming, 0);
        paintView(painter, *subview, pass, false);
        painter.restore();
    }
    // The bar goes over the page: a page's content that reaches above its top
    // (the main page's closed options panel) slides out from under it.
    paintBar(painter, site, pass);
    painter.restore();
}

void ModelPainter::paintBar(QPainter& painter, const NavigationSite& site, const Pass& pass) {
    if (site.bar == nullptr || site.bar->isHidden()) return;
    const Rect frame = site.bar->presentationFrame();
    const QRectF bar = boundsOf(frame);
    painter.save();
    painter.translate(frame.x, frame.y);
    painter.setOpacity(painter.opacity() * site.bar->presentationAlpha());
    QLinearGradient fill(bar.topLeft(), bar.bottomLeft());
    fill.setColorAt(0, kBarTop);
    fill.setColorAt(1, kBarBottom);
    painter.fillRect(bar, fill);
    painter.fillRect(QRectF(bar.left(), bar.bottom() - 1, bar.width(), 1), kBarEdge);

    const NavigationBarState state = site.controller->navigationBarState();
    const NavigationBarLayout layout(state, bar.width());
    if (state.titleView) {
        // The title view keeps its own size, centred in the title's room.
        const Rect titleFrame = state.titleView->presentationFrame();
        const QPointF centre = layout.title().center();
        painter.save();
        painter.setClipRect(layout.title(), Qt::IntersectClip);
        painter.translate(centre.x() - titleFrame.width / 2 - titleFrame.x,
                          centre.y() - titleFrame.height / 2 - titleFrame.y);
        paintView(painter, *state.titleView, pass, false);
        painter.restore();
    } else if (!state.title.empty()) {
        painter.setFont(NavigationBarLayout::titleFont());
        const QFontMetricsF metrics(painter.font());
        const QString title =
            metrics.elidedText(text(state.title), Qt::ElideRight, layout.title().width());
        painter.setPen(QColor(0x3a, 0x48, 0x5c));
        painter.drawText(layout.title().translated(0, -1), Qt::AlignCenter | Qt::TextSingleLine,
                         title);
        painter.setPen(Qt::white);
        painter.drawText(layout.title(), Qt::AlignCenter | Qt::TextSingleLine, title);
    }
    painter.setFont(NavigationBarLayout::buttonFont());
    if (const auto& back = layout.back()) {
        ControlPainter::drawBarButtonBody(painter, *back, true);
        const QRectF label = back->adjusted(12, 0, -5, 0);
        const QFontMetricsF metrics(painter.font());
        painter.setPen(Qt::white);
        painter.drawText(
            label, Qt::AlignCenter | Qt::TextSingleLine,
            metrics.elidedText(text(state.backTitle.value_or("")), Qt::ElideRight, label.width()));
    }
    const auto drawItem = [&painter](const BarButtonItem& item, const QRectF& rect) {
        ControlPainter::drawBarButtonBody(painter, rect, false);
        if (item.systemItem() == kBarButtonSystemItemAdd) {
            ControlPainter::drawAddGlyph(painter, rect);
        } else if (item.systemItem() == kBarButtonSystemItemTrash) {
            ControlPainter::drawTrashGlyph(painter, rect);
        } else if (const auto& image = item.image()) {
            ControlPainter::drawImage(painter, *image, rect.adjusted(4, 4, -4, -4), true);
        }
    };
    if (const auto& left = layout.left(); left && state.left) drawItem(*state.left, *left);
    if (const auto& right = layout.right(); right && state.right) drawItem(*state.right, *right);
    painter.restore();
}

}  // namespace platform
