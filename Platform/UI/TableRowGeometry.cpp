#include "TableRowGeometry.h"

#include <algorithm>
#include <cmath>

namespace platform {

void TableRowGeometry::setRowCounts(const std::vector<int>& rowCounts) {
    m_rowCounts = rowCounts;
    recompute();
}

void TableRowGeometry::setRowHeight(double height) {
    m_rowHeight = height;
    recompute();
}

void TableRowGeometry::setSectionSpacing(double spacing) {
    m_sectionSpacing = spacing;
    recompute();
}

void TableRowGeometry::recompute() {
    m_sectionTops.resize(m_rowCounts.size());
    double top = 0.0;
    for (std::size_t s = 0; s < m_rowCounts.size(); ++s) {
        if (s > 0) top += m_sectionSpacing;
        m_sectionTops[s] = top;
        top += m_rowHeight * m_rowCounts[s];
    }
}

double TableRowGeometry::contentHeight() const {
    if (m_rowCounts.empty()) return 0.0;
    return m_sectionTops.back() + m_rowHeight * m_rowCounts.back();
}

Rect TableRowGeometry::rectForRow(IndexPath indexPath, double width) const {
    if (indexPath.section < 0 || indexPath.row < 0) return kRectZero;
    const auto section = static_cast<std::size_t>(indexPath.section);
    if (section >= m_rowCounts.size() || indexPath.row >= m_rowCounts[section]) return kRectZero;
    return {0, m_sectionTops[section] + m_rowHeight * indexPath.row, width, m_rowHeight};
}

std::optional<IndexPath> TableRowGeometry::indexPathAt(Point contentPoint, double width) const {
    if (!(contentPoint.x >= 0.0 && contentPoint.x < width)) return std::nullopt;
    if (!(contentPoint.y >= 0.0) || m_sectionTops.empty()) return std::nullopt;
    // The last section starting at or above the point.
    const auto after = std::upper_bound(m_sectionTops.begin(), m_sectionTops.end(), contentPoint.y);
    if (after == m_sectionTops.begin()) return std::nullopt;
    const auto section = static_cast<std::size_t>(after - m_sectionTops.begin() - 1);
    const double row = std::floor((contentPoint.y - m_sectionTops[section]) / m_rowHeight);
    if (row >= m_rowCounts[section]) return std::nullopt;  // in the gap below the section
    return IndexPath{static_cast<int>(section), static_cast<int>(row)};
}

std::vector<IndexPath> TableRowGeometry::indexPathsInBand(double top, double bottom) const {
    std::vector<IndexPath> rows;
    if (!(bottom > top)) return rows;
    // The first section that ends below the band's top.
    auto first = std::upper_bound(m_sectionTops.begin(), m_sectionTops.end(), top);
    if (first != m_sectionTops.begin()) --first;
    for (auto s = static_cast<std::size_t>(first - m_sectionTops.begin());
         s < m_rowCounts.size() && m_sectionTops[s] < bottom; ++s) {
        const double sectionTop = m_sectionTops[s];
        const int count = m_rowCounts[s];
        const double firstRow = std::max(0.0, std::floor((top - sectionTop) / m_rowHeight));
        const double endRow =
            std::min<double>(count, std::ceil((bottom - sectionTop) / m_rowHeight));
        for (double r = firstRow; r < endRow; ++r) {
            rows.push_back({static_cast<int>(s), static_cast<int>(r)});
        }
    }
    return rows;
}

}  // namespace platform
