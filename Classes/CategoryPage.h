#pragma once

#include "Classes/OpenedRow.h"
#include "Classes/SPLibrary/SPXMLElement.h"
#include "Platform/UI/LayoutRegistry.h"
#include "Platform/UI/TableView.h"
#include "Platform/UI/ViewController.h"

#include <memory>
#include <optional>
#include <string>

// One category of the open board as a sound list, the way the main page lists
// the first: the same cells, a row opening the sound's play page, Space (or
// Play) playing the selected row. Its title, in the bar and the window's title,
// is the category's.
//
// The catalogue is read when the view loads; the page holds the tree.
class CategoryPage : public platform::ViewController,
                     public platform::TableViewDataSource,
                     public platform::TableViewDelegate {
  public:
    static void describeLayout(platform::LayoutClass<CategoryPage>& layout);

    // The category listed: its position in the catalogue. Set before the view loads.
    void setCategory(int section) { m_section = section; }
    int category() const { return m_section; }

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    std::string windowTitle() const override;

    // Commands by name while on top (see command_names).
    std::optional<platform::CommandState> commandState(std::string_view name) const override;
    bool performCommand(std::string_view name, std::string_view argument) override;

    int numberOfSectionsInTableView(platform::TableView& table) override;
    int tableViewNumberOfRowsInSection(platform::TableView& table, int section) override;
    std::shared_ptr<platform::TableViewCell> tableViewCellForRowAtIndexPath(
        platform::TableView& table, platform::IndexPath indexPath) override;
    void tableViewDidSelectRowAtIndexPath(platform::TableView& table,
                                          platform::IndexPath indexPath) override;
    std::vector<platform::WindowCommand> tableViewContextCommandsForRowAtIndexPath(
        platform::TableView& table, platform::IndexPath indexPath) override;

    // Outlet from the layout.
    std::shared_ptr<platform::TableView> SoundTable;

  private:
    // The sound in row `row` of the listed category, or null.
    std::shared_ptr<SPXMLElement> entryAt(int row) const;

    std::shared_ptr<SPXMLElement> m_root;
    int m_section = 0;
    OpenedRow m_opened;
};
