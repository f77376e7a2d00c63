#pragma once

#include "ViewPainter.h"

namespace platform {

class TableView;
class TableViewCell;
struct IndexPath;

// A table: its plain or grouped background, its visible rows (selection,
// separators, the rounded ends of grouped sections, disclosure indicators),
// then anything else it holds above them. Always clipped to its bounds.
class TableViewPainter final : public ViewPainter {
  public:
    void paint(QPainter& painter, const View& view, const QRectF& bounds, PaintScene& scene,
               bool highlighted) const override;

  private:
    static void paintCell(QPainter& painter, const TableView& table, IndexPath indexPath,
                          const TableViewCell& cell, PaintScene& scene);
};

}  // namespace platform
