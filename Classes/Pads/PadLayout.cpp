#include "Classes/Pads/PadLayout.h"

#include <algorithm>
#include <cmath>

PadLayout::PadLayout(const std::vector<int>& blockSizes, double width)
    : m_width(std::isfinite(width) && width > 0 ? width : 0) {
    const double inner = m_width - 2 * kMargin;
    m_columns =
        std::max(1, static_cast<int>(std::floor((inner + kGap) / (kMinimumPadWidth + kGap))));
    m_sizes.reserve(blockSizes.size());
    m_tops.reserve(blockSizes.size());
    double top = kMargin;
    for (int size : blockSizes) {
        m_sizes.push_back(std::max(0, size));
        m_tops.push_back(top);
        const int rows = rowsOf(static_cast<int>(m_sizes.size()) - 1);
        top += kTitleHeight + rows * kPadHeight + std::max(0, rows - 1) * kGap + kMargin;
    }
    m_height = top;
}

double PadLayout::padWidth() const {
    const double inner = m_width - 2 * kMargin - (m_columns - 1) * kGap;
    return std::max(0.0, inner / m_columns);
}

int PadLayout::rowsOf(int block) const {
    const int size = m_sizes[static_cast<std::size_t>(block)];
    return (size + m_columns - 1) / m_columns;
}

platform::Rect PadLayout::titleRect(int block) const {
    if (block < 0 || block >= blockCount()) return {};
    return {kMargin, m_tops[static_cast<std::size_t>(block)], m_width - 2 * kMargin, kTitleHeight};
}

platform::Rect PadLayout::padRect(int block, int index) const {
    if (block < 0 || block >= blockCount() || index < 0 ||
        index >= m_sizes[static_cast<std::size_t>(block)]) {
        return {};
    }
    const int row = index / m_columns;
    const int column = index % m_columns;
    const double width = padWidth();
    return {kMargin + column * (width + kGap),
            m_tops[static_cast<std::size_t>(block)] + kTitleHeight + row * (kPadHeight + kGap),
            width, kPadHeight};
}

void PadLayout::forEachIn(double top, double bottom, const std::function<void(int block)>& title,
                          const std::function<void(int block, int index)>& pad) const {
    if (m_tops.empty() || !(bottom > top)) return;
    // The last block that starts at or above `top` is the first one shown.
    auto first = std::upper_bound(m_tops.begin(), m_tops.end(), top);
    int block = first == m_tops.begin() ? 0 : static_cast<int>(first - m_tops.begin()) - 1;
    for (; block < blockCount(); ++block) {
        const double blockTop = m_tops[static_cast<std::size_t>(block)];
        if (blockTop >= bottom) break;
        if (blockTop + kTitleHeight > top && title) title(block);
        const double gridTop = blockTop + kTitleHeight;
        const double pitch = kPadHeight + kGap;
        const int rows = rowsOf(block);
        const int firstRow =
            std::clamp(static_cast<int>(std::floor((top - gridTop) / pitch)), 0, rows);
        const int size = m_sizes[static_cast<std::size_t>(block)];
        for (int row = firstRow; row < rows; ++row) {
            const double rowTop = gridTop + row * pitch;
            if (rowTop >= bottom) break;
            if (rowTop + kPadHeight <= top) continue;
            for (int column = 0; column < m_columns; ++column) {
                const int index = row * m_columns + column;
                if (index >= size) break;
                if (pad) pad(block, index);
            }
        }
    }
}
