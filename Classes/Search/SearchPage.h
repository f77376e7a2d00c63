#pragma once

#include "Classes/OpenedRow.h"
#include "Classes/SPLibrary/SPXMLElement.h"
#include "Classes/Search/SoundSearchIndex.h"
#include "Platform/UI/LayoutRegistry.h"
#include "Platform/UI/TableView.h"
#include "Platform/UI/TextField.h"
#include "Platform/UI/ViewController.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The search page: a field at the top and, below it, the sounds of every
// category of the open board whose labels match what is typed (see
// SoundSearchIndex for matching and ranking), each with its category. The
// list follows every keystroke; a row opens the sound's play page exactly as a
// row of the main page does.
//
// The catalogue is read and its labels folded once, when the page's view
// loads; the page holds the tree, and a play page it opens holds its own entry.
class SearchPage : public platform::ViewController,
                   public platform::TableViewDataSource,
                   public platform::TableViewDelegate {
  public:
    static void describeLayout(platform::LayoutClass<SearchPage>& layout);

    void viewDidLoad() override;

    // Commands by name while on top (see command_names).
    std::optional<platform::CommandState> commandState(std::string_view name) const override;
    bool performCommand(std::string_view name, std::string_view argument) override;
    void viewWillAppear(bool animated) override;

    // The field's action: the list shows the matches of the field's text.
    void queryChanged();

    // The sound shown in `row`, or null.
    std::shared_ptr<SPXMLElement> resultAt(int row) const;
    int resultCount() const;

    int numberOfSectionsInTableView(platform::TableView& table) override;
    int tableViewNumberOfRowsInSection(platform::TableView& table, int section) override;
    std::shared_ptr<platform::TableViewCell> tableViewCellForRowAtIndexPath(
        platform::TableView& table, platform::IndexPath indexPath) override;
    void tableViewDidSelectRowAtIndexPath(platform::TableView& table,
                                          platform::IndexPath indexPath) override;
    std::vector<platform::WindowCommand> tableViewContextCommandsForRowAtIndexPath(
        platform::TableView& table, platform::IndexPath indexPath) override;

    // Outlets from the layout.
    std::shared_ptr<platform::TextField> QueryField;
    std::shared_ptr<platform::TableView> ResultTable;

  private:
    struct Sound {
        std::shared_ptr<SPXMLElement> entry;
        std::string label;
        std::string category;
    };
    void loadCatalogue();

    // The catalogue's document element; the entries below belong to it.
    std::shared_ptr<SPXMLElement> m_root;
    std::vector<Sound> m_sounds;
    std::optional<SoundSearchIndex> m_index;
    // Positions in m_sounds, in the order shown.
    std::vector<std::size_t> m_shown;
    OpenedRow m_opened;
};
