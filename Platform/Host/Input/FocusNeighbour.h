#pragma once

#include "Platform/Host/Access/PageContents.h"

#include <optional>

namespace platform {

// The arrow keys among the controls of a scrolling grid (a scroll view that is
// not a table, holding controls side by side: the pads page). Left and Right
// go to the previous and next control in reading order, Up and Down to the
// nearest one above or below, leaning towards the same column. Only controls
// with the same scroll view as the focused one count, so the arrows never
// leave the grid for the bar or the page around it.
class FocusNeighbour {
  public:
    enum class Direction { kLeft, kRight, kUp, kDown };

    // Whether the entry at `focused` is a control of such a grid.
    static bool isInGrid(const PageContents& contents, int focused);
    // The entry the arrow moves to from `focused`; none at the grid's shown edge.
    static std::optional<int> next(const PageContents& contents, int focused, Direction direction);
};

}  // namespace platform
