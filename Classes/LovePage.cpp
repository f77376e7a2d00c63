#include "Classes/LovePage.h"

#include "Classes/BannerPanel.h"
#include "Classes/Catalogue/Catalogue.h"
#include "Classes/CommandNames.h"
#include "Classes/FavouritesDocument.h"
#include "Classes/SoundContextMenu.h"
#include "Classes/SoundList.h"
#include "Platform/Graphics/Image.h"
#include "Platform/UI/ImageView.h"

void LovePage::describeLayout(platform::LayoutClass<LovePage>& layout) {
    layout.outlet("LoveTable", &LovePage::LoveTable).outlet("Ad", &LovePage::Ad);
}

void LovePage::viewDidLoad() {
    ViewController::viewDidLoad();
    // The heart stands in for a title; the navigation item holds it.
    navigationItem().setTitleView(
        platform::ImageView::initWithImage(platform::Image::imageNamed("love.png")));
}

void LovePage::viewWillAppear(bool /*animated*/) {
    // Both trees are replaced; a play page still holding an entry of the old
    // ones keeps that entry alive by itself.
    RootData = Catalogue::loadDocument();
    LoveData = FavouritesDocument::read(FavouritesDocument::write(RootData));
    if (LoveTable) {
        LoveTable->reloadData();
        m_opened.restore(*LoveTable, [this](platform::IndexPath at) {
            return Catalogue::soundEntryAt(LoveData, at.section, at.row);
        });
    }
    BannerPanel::load(Ad.get());
}

int LovePage::numberOfSectionsInTableView(platform::TableView& /*table*/) {
    return Catalogue::categoryCount(LoveData);
}

int LovePage::tableViewNumberOfRowsInSection(platform::TableView& /*table*/, int section) {
    return SoundList::numberOfRowsInSection(LoveData, section);
}

std::string LovePage::tableViewAccessibilityTitleForSection(platform::TableView& /*table*/,
                                                            int section) {
    // Each block is one category: a screen reader hears which.
    const auto category = Catalogue::categoryAt(LoveData, section);
    return category ? Catalogue::title(*category) : std::string();
}

std::shared_ptr<platform::TableViewCell> LovePage::tableViewCellForRowAtIndexPath(
    platform::TableView& table, platform::IndexPath indexPath) {
    return SoundList::cellForRowAtIndexPath(table, LoveData, indexPath);
}

void LovePage::tableViewDidSelectRowAtIndexPath(platform::TableView& table,
                                                platform::IndexPath indexPath) {
    m_opened.opened(indexPath, Catalogue::soundEntryAt(LoveData, indexPath.section, indexPath.row));
    SoundList::didSelectRowAtIndexPath(*this, table, LoveData, indexPath);
}

bool LovePage::webViewShouldStartLoadWithRequest(platform::WebView& /*webView*/,
                                                 const platform::URLRequest& request,
                                                 int navigationType) {
    return BannerPanel::shouldStartLoadWithRequest(request, navigationType);
}

std::optional<platform::CommandState> LovePage::commandState(std::string_view name) const {
    // Already here: opening it again from a menu does nothing.
    if (name == command_names::kOpenFavourites) return platform::CommandState{false};
    if (SoundList::isPlayCommand(name)) {
        if (auto state = SoundList::playCommandState(LoveTable.get())) return state;
    }
    return ViewController::commandState(name);
}

bool LovePage::performCommand(std::string_view name, std::string_view argument) {
    if (SoundList::isPlayCommand(name) && LoveTable) {
        if (const auto row = LoveTable->indexPathForSelectedRow()) {
            return SoundList::playEntry(Catalogue::soundEntryAt(LoveData, row->section, row->row));
        }
    }
    return ViewController::performCommand(name, argument);
}

std::vector<platform::WindowCommand> LovePage::tableViewContextCommandsForRowAtIndexPath(
    platform::TableView& /*table*/, platform::IndexPath indexPath) {
    return soundContextCommands(Catalogue::soundEntryAt(LoveData, indexPath.section, indexPath.row),
                                self<LovePage>());
}
