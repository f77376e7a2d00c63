#pragma once

#include "Classes/Pads/PadGrid.h"
#include "Classes/SPLibrary/SPXMLElement.h"
#include "Platform/UI/ViewController.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// Every sound of the open board one click away: each category a titled block
// of pads (see PadGrid), a click (or Space or Enter on the focused pad)
// playing its sound at once through the board's one play path while the page
// stays. A pad shows its sound's progress while it plays, and a heart when
// the sound is a favourite.
//
// Built in code on the platform's views; the catalogue is read when the view
// loads, and the marks again at every appearance.
class PadsPage : public platform::ViewController {
  public:
    static constexpr platform::Rect kFrame{0, 0, 320, 436};
    static constexpr const char* kTitle = "Pads";

    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    // After a memory warning released the view: its grid goes with it.
    void viewDidUnload() override { m_grid.reset(); }
    std::string windowTitle() const override { return kTitle; }

    // Commands by name while on top (see command_names).
    std::optional<platform::CommandState> commandState(std::string_view name) const override;
    // A sound played by any trigger shows its progress on its pad at once.
    void commandPerformed(std::string_view name, std::string_view argument) override;

    // Plays pad `index` of block `block`; false when there is none or it did not play.
    bool play(int block, int index);

    // The grid of the loaded view, or null.
    const std::shared_ptr<PadGrid>& grid() const { return m_grid; }

    // Reads the favourite marks again, and the sounds played since through
    // other triggers (so their pads show their progress too), and shows them.
    void readMarks();

  private:
    void readCatalogue();
    // The catalogue entry of a pad, or null.
    std::shared_ptr<SPXMLElement> entryAt(int block, int index) const;

    std::shared_ptr<PadGrid> m_grid;
    // The entries of the pads, block by block; they belong to the tree read last.
    std::vector<std::vector<std::shared_ptr<SPXMLElement>>> m_entries;
};
