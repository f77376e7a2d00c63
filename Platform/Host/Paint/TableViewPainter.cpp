#include "TableViewPainter.h"

#include "ControlPainter.h"
#include "FeedbackPainter.h"
#include "Platform/UI/TableView.h"

#include <QLinearGradient>
#include <QPainterPath>

#include <algorithm>

namespace platform {
namespace {

const QColor kGroupedBackground(0xef, 0xef, 0xf4);
const QColor kGroupedBorder(0xc8, 0xc7, 0xcc);
const QColor kSelectionTop(0x05, 0x8c, 0xf5);
const QColor kSelectionBottom(0x01, 0x5f, 0xe6);
constexpr double kGroupedInset = 10.0;

}  // namespace

void TableViewPainter::paint(QPainter& painter, const View& view, const QRectF& bounds,
                             PaintScene& scene, bool highlighted) const {
    const auto* table = dynamic_cast<const TableView*>(&view);
    if (table == nullptr) {
        ViewPainter::paint(painter, view, bounds, scene, highlighted);
        return;
    }
    const bool grouped = table->style() == kTableViewStyleGrouped;
    painter.fillRect(bounds, grouped ? kGroupedBackground : QColor(Qt::white));
    if (const auto& background = table->backgroundColor(); background && background->alpha > 0) {
        painter.fillRect(bounds, ControlPainter::toQColor(*background));
    }
    painter.setClipRect(bounds, Qt::IntersectClip);
    const Point offset = table->contentOffset();
    painter.save();
    painter.translate(-offset.x, -offset.y);
    const auto cells = table->visibleCells();
    for (const auto& [indexPath, cell] : cells) {
        if (cell) paintCell(painter, *table, indexPath, *cell, scene);
    }
    // Anything else a table holds sits above its rows.
    for (const auto& subview : table->subviews()) {
        const bool isRow = std::any_of(cells.begin(), cells.end(),
                                       [&](const auto& row) { return row.second == subview; });
        if (!isRow) scene.paintView(painter, *subview, false);
    }
    painter.restore();
    FeedbackPainter::drawScrollIndicators(painter, *table, bounds,
                                          scene.feedback().scrollIndicatorOpacity(*table));
}

void TableViewPainter::paintCell(QPainter& painter, const TableView& table, IndexPath indexPath,
                                 const TableViewCell& cell, PaintScene& scene) {
    if (cell.isHidden() || cell.presentationAlpha() <= 0.0) return;
    const Rect frame = cell.presentationFrame();
    const QRectF bounds(0, 0, frame.width, frame.height);
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
    // A row held down shows as it will once the click selects it.
    const bool highlighted = cell.isSelected() || scene.feedback().isPressed(cell);
    QBrush fill(Qt::white);
    if (highlighted) {
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
    scene.paintSubviews(painter, cell, highlighted);
    if (cell.accessoryType() == kTableViewCellAccessoryDisclosureIndicator) {
        ControlPainter::drawDisclosureIndicator(painter, row, highlighted);
    }
    painter.restore();
}

}  // namespace platform
