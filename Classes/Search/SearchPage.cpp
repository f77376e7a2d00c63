#include "Classes/Search/SearchPage.h"

#include "Classes/Catalogue/Catalogue.h"
#include "Classes/CommandNames.h"
#include "Classes/Search/SearchResultCell.h"
#include "Classes/SoundContextMenu.h"
#include "Classes/SoundList.h"

#include <limits>

namespace {

constexpr const char* kTitle = "Find Sound";

}  // namespace

void SearchPage::describeLayout(platform::LayoutClass<SearchPage>& layout) {
    layout.outlet("QueryField", &SearchPage::QueryField)
        .outlet("ResultTable", &SearchPage::ResultTable)
        .action("queryChanged", &SearchPage::queryChanged);
}

void SearchPage::viewDidLoad() {
    ViewController::viewDidLoad();
    navigationItem().setTitle(kTitle);
    // A second load (after a memory warning) reads the catalogue anew and
    // searches again for what the new field shows.
    loadCatalogue();
    queryChanged();
}

void SearchPage::loadCatalogue() {
    m_root = Catalogue::loadDocument();
    m_sounds.clear();
    for (auto& listed : Catalogue::everySound(m_root)) {
        std::string label = Catalogue::label(*listed.entry);
        m_sounds.push_back(
            {std::move(listed.entry), std::move(label), std::move(listed.categoryTitle)});
    }
    std::vector<std::string> labels;
    labels.reserve(m_sounds.size());
    for (const Sound& sound : m_sounds) labels.push_back(sound.label);
    m_index.emplace(labels);
}

void SearchPage::queryChanged() {
    m_shown = m_index ? m_index->search(QueryField ? QueryField->text() : std::string())
                      : std::vector<std::size_t>();
    if (ResultTable) {
        ResultTable->reloadData();
        ResultTable->setContentOffset({0, 0});
    }
}

int SearchPage::resultCount() const {
    return m_shown.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())
               ? std::numeric_limits<int>::max()
               : static_cast<int>(m_shown.size());
}

std::shared_ptr<SPXMLElement> SearchPage::resultAt(int row) const {
    if (row < 0 || row >= resultCount()) return nullptr;
    const std::size_t position = m_shown[static_cast<std::size_t>(row)];
    return position < m_sounds.size() ? m_sounds[position].entry : nullptr;
}

int SearchPage::numberOfSectionsInTableView(platform::TableView& /*table*/) {
    return 1;
}

int SearchPage::tableViewNumberOfRowsInSection(platform::TableView& /*table*/, int section) {
    return section == 0 ? resultCount() : 0;
}

std::shared_ptr<platform::TableViewCell> SearchPage::tableViewCellForRowAtIndexPath(
    platform::TableView& table, platform::IndexPath indexPath) {
    auto reused = std::dynamic_pointer_cast<SearchResultCell>(
        table.dequeueReusableCellWithIdentifier(SearchResultCell::kIdentifier));
    auto cell = reused ? reused : std::make_shared<SearchResultCell>();
    const Sound* sound = nullptr;
    if (indexPath.section == 0 && indexPath.row >= 0 && indexPath.row < resultCount()) {
        const std::size_t position = m_shown[static_cast<std::size_t>(indexPath.row)];
        if (position < m_sounds.size()) sound = &m_sounds[position];
    }
    // Filled for new and reused cells alike, so a reused cell keeps nothing.
    cell->textLabel().setText(sound ? sound->label : std::string());
    cell->categoryLabel().setText(sound ? sound->category : std::string());
    cell->setAccessoryType(platform::kTableViewCellAccessoryDisclosureIndicator);
    return cell;
}

void SearchPage::tableViewDidSelectRowAtIndexPath(platform::TableView& table,
                                                  platform::IndexPath indexPath) {
    m_opened.opened(indexPath, indexPath.section == 0 ? resultAt(indexPath.row) : nullptr);
    SoundList::openPlayPage(*this, indexPath.section == 0 ? resultAt(indexPath.row) : nullptr);
    table.deselectRowAtIndexPath(indexPath, true);
}

std::optional<platform::CommandState> SearchPage::commandState(std::string_view name) const {
    // Already here: opening it again from a menu does nothing.
    if (name == command_names::kFind) return platform::CommandState{false};
    if (SoundList::isPlayCommand(name)) {
        if (auto state = SoundList::playCommandState(ResultTable.get())) return state;
    }
    return ViewController::commandState(name);
}

bool SearchPage::performCommand(std::string_view name, std::string_view argument) {
    if (SoundList::isPlayCommand(name) && ResultTable) {
        if (const auto row = ResultTable->indexPathForSelectedRow()) {
            return SoundList::playEntry(row->section == 0 ? resultAt(row->row) : nullptr);
        }
    }
    return ViewController::performCommand(name, argument);
}

void SearchPage::viewWillAppear(bool /*animated*/) {
    if (ResultTable) {
        m_opened.restore(*ResultTable, [this](platform::IndexPath at) {
            return at.section == 0 ? resultAt(at.row) : nullptr;
        });
    }
}

std::vector<platform::WindowCommand> SearchPage::tableViewContextCommandsForRowAtIndexPath(
    platform::TableView& /*table*/, platform::IndexPath indexPath) {
    return soundContextCommands(indexPath.section == 0 ? resultAt(indexPath.row) : nullptr,
                                self<SearchPage>());
}
