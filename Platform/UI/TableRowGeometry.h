#pragma once

#include "IndexPath.h"
#include "Platform/Graphics/Geometry.h"

#include <optional>
#include <vector>

namespace platform {

// Where the rows of a table sit in its content. Sections follow each other
// from the top, separated by the section spacing (none before the first or
// after the last); each row is one row height tall and the table's width wide.
// Lookups are logarithmic in sections and constant in rows, so a table of
// millions of rows lays out its few visible ones cheaply.
class TableRowGeometry {
  public:
    // Counts must already be non-negative.
    void setRowCounts(const std::vector<int>& rowCounts);
    void setRowHeight(double height);
    void setSectionSpacing(double spacing);

    double contentHeight() const;
    // kRectZero for an index path out of range.
    Rect rectForRow(IndexPath indexPath, double width) const;
    std::optional<IndexPath> indexPathAt(Point contentPoint, double width) const;
    // Rows that overlap the band [top, bottom) of the content, in order.
    std::vector<IndexPath> indexPathsInBand(double top, double bottom) const;

  private:
    void recompute();
    std::vector<int> m_rowCounts;
    std::vector<double> m_sectionTops;
    double m_rowHeight = 44.0;
    double m_sectionSpacing = 0.0;
};

}  // namespace platform
