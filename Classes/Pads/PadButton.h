#pragma once

#include "Platform/UI/Button.h"
#include "Platform/UI/WindowCommands.h"

#include <memory>

class PadGrid;

// One pad of the pads page: a button that tells its grid which pad it stands
// for when tapped. The grid reuses it for other pads as the page scrolls.
//
// Lifetime: the grid owns its pads; the link back is weak.
class PadButton : public platform::Button {
  public:
    void standFor(std::weak_ptr<PadGrid> grid, int block, int index);
    int block() const { return m_block; }
    int index() const { return m_index; }
    void tapAt(platform::Point point) override;
    // The grid's context menu of this pad.
    std::vector<platform::WindowCommand> contextCommands(platform::Point point) override;

  private:
    std::weak_ptr<PadGrid> m_grid;
    int m_block = -1;
    int m_index = -1;
};
