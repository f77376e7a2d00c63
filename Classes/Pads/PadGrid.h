#pragma once

#include "Classes/Pads/PadLayout.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/UI/Label.h"
#include "Platform/UI/ScrollView.h"
#include "Platform/UI/WindowCommands.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class PadButton;

// The pads page's scrolling grid: every category a titled block of pads. Only
// the pads and titles that meet the shown part of the content exist as views
// (see PadLayout); scrolling recycles those that leave for those that come, so
// the work of a frame follows the window's size, not the board's.
class PadGrid : public platform::ScrollView {
  public:
    struct Pad {
        std::string label;
        std::string audioNumber;
        bool favourite = false;
        // The registration its play goes through (0 until first played): the
        // host shows that sound's progress on the pad.
        platform::SystemSoundID sound = 0;
    };
    struct Block {
        std::string title;
        std::vector<Pad> pads;
    };

    explicit PadGrid(platform::Rect frame);
    ~PadGrid() override;

    void setBlocks(std::vector<Block> blocks);
    const std::vector<Block>& blocks() const { return m_blocks; }
    // Null out of range.
    Pad* padAt(int block, int index);
    // Shows the current values of the shown pads (marks, sounds) again.
    void refreshShown();

    // A tapped pad, by block and position; may change the grid.
    std::function<void(int block, int index)> onPadTapped;
    void padTapped(int block, int index);
    // The context menu of a pad, by block and position.
    std::function<std::vector<platform::WindowCommand>(int block, int index)> contextCommandsFor;

    // The pads that exist as views now, in reading order.
    std::vector<std::shared_ptr<PadButton>> shownPads() const;
    const PadLayout& layout() const { return m_layout; }

    void setContentOffset(platform::Point offset) override;
    void layoutSubviews() override;
    void layoutIfNeeded() override;

  private:
    using Key = std::pair<int, int>;
    void showBand();
    void fill(PadButton& button, int block, int index);

    std::vector<Block> m_blocks;
    PadLayout m_layout;
    double m_laidOutWidth = -1;
    std::map<Key, std::shared_ptr<PadButton>> m_shown;
    std::vector<std::shared_ptr<PadButton>> m_sparePads;
    std::map<int, std::shared_ptr<platform::Label>> m_titles;
    std::vector<std::shared_ptr<platform::Label>> m_spareTitles;
};
