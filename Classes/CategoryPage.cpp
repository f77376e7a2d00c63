#include "Classes/CategoryPage.h"

#include "Classes/Catalogue/Catalogue.h"
#include "Classes/CommandNames.h"
#include "Classes/SoundContextMenu.h"
#include "Classes/SoundList.h"

void CategoryPage::describeLayout(platform::LayoutClass<CategoryPage>& layout) {
    layout.outlet("SoundTable", &CategoryPage::SoundTable);
}

void CategoryPage::viewDidLoad() {
    ViewController::viewDidLoad();
    // A second load (after a memory warning) reads the catalogue anew.
    m_root = Catalogue::loadDocument();
    navigationItem().setTitle(windowTitle());
    if (SoundTable) SoundTable->reloadData();
}

void CategoryPage::viewWillAppear(bool /*animated*/) {
    if (SoundTable) {
        m_opened.restore(*SoundTable, [this](platform::IndexPath at) {
            return at.section == 0 ? entryAt(at.row) : nullptr;
        });
    }
}

std::string CategoryPage::windowTitle() const {
    const auto category = Catalogue::categoryAt(m_root, m_section);
    return category ? Catalogue::title(*category) : std::string();
}

std::shared_ptr<SPXMLElement> CategoryPage::entryAt(int row) const {
    return Catalogue::soundEntryAt(m_root, m_section, row);
}

int CategoryPage::numberOfSectionsInTableView(platform::TableView& /*table*/) {
    return 1;
}

int CategoryPage::tableViewNumberOfRowsInSection(platform::TableView& /*table*/, int section) {
    return section == 0 ? Catalogue::soundCount(m_root, m_section) : 0;
}

std::shared_ptr<platform::TableViewCell> CategoryPage::tableViewCellForRowAtIndexPath(
    platform::TableView& table, platform::IndexPath indexPath) {
    // The main page's cells: the same list code over this one category.
    return SoundList::cellForRowAtIndexPath(
        table, m_root, {m_section, indexPath.section == 0 ? indexPath.row : -1});
}

void CategoryPage::tableViewDidSelectRowAtIndexPath(platform::TableView& table,
                                                    platform::IndexPath indexPath) {
    const auto entry = indexPath.section == 0 ? entryAt(indexPath.row) : nullptr;
    m_opened.opened(indexPath, entry);
    SoundList::openPlayPage(*this, entry);
    table.deselectRowAtIndexPath(indexPath, true);
}

std::optional<platform::CommandState> CategoryPage::commandState(std::string_view name) const {
    if (SoundList::isPlayCommand(name)) {
        if (auto state = SoundList::playCommandState(SoundTable.get())) return state;
    }
    return ViewController::commandState(name);
}

bool CategoryPage::performCommand(std::string_view name, std::string_view argument) {
    if (SoundList::isPlayCommand(name) && SoundTable) {
        if (const auto row = SoundTable->indexPathForSelectedRow()) {
            return SoundList::playEntry(row->section == 0 ? entryAt(row->row) : nullptr);
        }
    }
    return ViewController::performCommand(name, argument);
}

std::vector<platform::WindowCommand> CategoryPage::tableViewContextCommandsForRowAtIndexPath(
    platform::TableView& /*table*/, platform::IndexPath indexPath) {
    return soundContextCommands(indexPath.section == 0 ? entryAt(indexPath.row) : nullptr,
                                self<CategoryPage>());
}
