#pragma once

#include "Platform/Graphics/Geometry.h"

#include <cstddef>
#include <functional>
#include <vector>

// Where the pads page puts its blocks: each category a title over a grid of
// equal pads, as many columns as the width holds, one block under another.
// Only arithmetic: any pad's or title's place comes from its position, and the
// things that meet a band of the content are found by a binary search over
// the blocks, so a board of ten thousand sounds costs what its shown part does.
class PadLayout {
  public:
    static constexpr double kMargin = 8;
    static constexpr double kGap = 6;
    static constexpr double kTitleHeight = 28;
    static constexpr double kPadHeight = 60;
    static constexpr double kMinimumPadWidth = 90;

    PadLayout() = default;
    // `blockSizes`: how many pads each block holds (negative counts as none).
    PadLayout(const std::vector<int>& blockSizes, double width);

    int blockCount() const { return static_cast<int>(m_tops.size()); }
    int columns() const { return m_columns; }
    double contentHeight() const { return m_height; }
    // Empty for a block out of range; for a pad out of its block's range too.
    platform::Rect titleRect(int block) const;
    platform::Rect padRect(int block, int index) const;

    // Calls `title` for each block title and `pad` for each pad that meets the
    // band from `top` to `bottom` (content coordinates), in reading order.
    void forEachIn(double top, double bottom, const std::function<void(int block)>& title,
                   const std::function<void(int block, int index)>& pad) const;

  private:
    double padWidth() const;
    int rowsOf(int block) const;

    std::vector<int> m_sizes;
    // The top of each block's title, in content coordinates.
    std::vector<double> m_tops;
    double m_width = 0;
    double m_height = 0;
    int m_columns = 1;
};
