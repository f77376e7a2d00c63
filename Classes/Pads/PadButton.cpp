#include "Classes/Pads/PadButton.h"

#include "Classes/Pads/PadGrid.h"

void PadButton::standFor(std::weak_ptr<PadGrid> grid, int block, int index) {
    m_grid = std::move(grid);
    m_block = block;
    m_index = index;
}

std::vector<platform::WindowCommand> PadButton::contextCommands(platform::Point /*point*/) {
    auto grid = m_grid.lock();
    if (!grid || !grid->contextCommandsFor) return {};
    return grid->contextCommandsFor(m_block, m_index);
}

void PadButton::tapAt(platform::Point /*point*/) {
    if (!isEnabled()) return;
    // Held: the grid's handler may scroll it, which recycles this pad.
    if (auto grid = m_grid.lock()) grid->padTapped(m_block, m_index);
}
