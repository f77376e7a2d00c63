#include "Classes/MainPage.h"

#include "Classes/BannerPanel.h"
#include "Classes/Catalogue/Catalogue.h"
#include "Classes/CommandNames.h"
#include "Classes/LovePage.h"
#include "Classes/Reference.h"
#include "Classes/SoundContextMenu.h"
#include "Classes/SoundList.h"
#include "Platform/Graphics/Image.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/NavigationController.h"

void MainPage::describeLayout(platform::LayoutClass<MainPage>& layout) {
    layout.outlet("RootTable", &MainPage::RootTable)
        .outlet("Ad", &MainPage::Ad)
        .outlet("vibeSwitch", &MainPage::vibeSwitch)
        .outlet("optionView", &MainPage::optionView)
        .action("optionPop", &MainPage::optionPop)
        .action("vibeSet", &MainPage::vibeSet)
        .action("toLovePage", &MainPage::toLovePage);
}

void MainPage::viewDidLoad() {
    ViewController::viewDidLoad();
    // A second load (after a memory warning) reads the catalogue anew and drops
    // the previous tree.
    reloadCatalogue();
    BannerPanel::load(Ad.get());
    // The navigation item holds the buttons; the buttons hold the page weakly.
    auto options = platform::BarButtonItem::initWithImage(
        platform::Image::imageNamed("Settings.png"), platform::kBarButtonItemStylePlain,
        platform::Action(self<MainPage>(), &MainPage::optionPop));
    // What a screen reader says for the pictures: what they do.
    options->setAccessibilityName("Options");
    navigationItem().setLeftBarButtonItem(std::move(options));
    auto favourites = platform::BarButtonItem::initWithImage(
        platform::Image::imageNamed("love.png"), platform::kBarButtonItemStylePlain,
        platform::Action(self<MainPage>(), &MainPage::toLovePage));
    favourites->setAccessibilityName("Favourites");
    navigationItem().setRightBarButtonItem(std::move(favourites));
}

void MainPage::reloadCatalogue() {
    RootData = Catalogue::loadDocument();
    if (RootTable) RootTable->reloadData();
}

void MainPage::viewWillAppear(bool /*animated*/) {
    if (vibeSwitch) vibeSwitch->setOn(Reference::boolForKey("vibrate"), false);
    // Closed at once, alpha untouched, so the first tap after every appearance
    // slides the panel in.
    if (optionView) optionView->setFrame(kOptionsClosedFrame);
    OVopen = false;
    if (RootTable) {
        m_opened.restore(*RootTable, [this](platform::IndexPath at) {
            return Catalogue::soundEntryAt(RootData, at.section, at.row);
        });
    }
}

std::string MainPage::windowTitle() const {
    const auto category = Catalogue::categoryAt(RootData, 0);
    return category ? Catalogue::title(*category) : std::string();
}

void MainPage::optionPop() {
    platform::View::beginAnimations("option", nullptr);
    platform::View::setAnimationCurve(platform::kAnimationCurveEaseInOut);
    platform::View::setAnimationDuration(kOptionsAnimationDuration);
    // The flag follows the call, not the end of the animation: a tap while the
    // panel moves turns it back from where it is shown.
    if (OVopen) {
        if (optionView) {
            optionView->setAlpha(0.0);
            optionView->setFrame(kOptionsClosedFrame);
        }
        OVopen = false;
    } else {
        if (optionView) {
            optionView->setAlpha(1.0);
            optionView->setFrame(kOptionsOpenFrame);
        }
        OVopen = true;
    }
    platform::View::commitAnimations();
}

bool MainPage::cancelOperation() {
    if (!OVopen) return false;
    optionPop();
    return true;
}

void MainPage::vibeSet() {
    Reference::setBool(vibeSwitch && vibeSwitch->isOn(), "vibrate");
}

void MainPage::toLovePage() {
    auto page = platform::ViewController::initWithNibName<LovePage>("LovePage");
    auto* stack = navigationController();
    if (page && stack) stack->pushViewController(std::move(page), true);
}

int MainPage::numberOfSectionsInTableView(platform::TableView& /*table*/) {
    // Only the first category is listed, whatever the catalogue holds.
    return 1;
}

int MainPage::tableViewNumberOfRowsInSection(platform::TableView& /*table*/, int section) {
    return SoundList::numberOfRowsInSection(RootData, section);
}

std::shared_ptr<platform::TableViewCell> MainPage::tableViewCellForRowAtIndexPath(
    platform::TableView& table, platform::IndexPath indexPath) {
    return SoundList::cellForRowAtIndexPath(table, RootData, indexPath);
}

void MainPage::tableViewDidSelectRowAtIndexPath(platform::TableView& table,
                                                platform::IndexPath indexPath) {
    m_opened.opened(indexPath, Catalogue::soundEntryAt(RootData, indexPath.section, indexPath.row));
    SoundList::didSelectRowAtIndexPath(*this, table, RootData, indexPath);
}

bool MainPage::webViewShouldStartLoadWithRequest(platform::WebView& /*webView*/,
                                                 const platform::URLRequest& request,
                                                 int navigationType) {
    return BannerPanel::shouldStartLoadWithRequest(request, navigationType);
}

std::optional<platform::CommandState> MainPage::commandState(std::string_view name) const {
    if (name == command_names::kToggleOptions || name == command_names::kOpenFavourites) {
        return platform::CommandState{};
    }
    if (SoundList::isPlayCommand(name)) {
        if (auto state = SoundList::playCommandState(RootTable.get())) return state;
    }
    return ViewController::commandState(name);
}

bool MainPage::performCommand(std::string_view name, std::string_view argument) {
    if (name == command_names::kToggleOptions) {
        // The bar button's own tap, as the options button does it.
        const auto button = navigationItem().leftBarButtonItem();
        if (button) button->tap();
        return static_cast<bool>(button);
    }
    if (name == command_names::kOpenFavourites) {
        toLovePage();
        return true;
    }
    if (SoundList::isPlayCommand(name) && RootTable) {
        if (const auto row = RootTable->indexPathForSelectedRow()) {
            return SoundList::playEntry(Catalogue::soundEntryAt(RootData, row->section, row->row));
        }
    }
    return ViewController::performCommand(name, argument);
}

std::vector<platform::WindowCommand> MainPage::tableViewContextCommandsForRowAtIndexPath(
    platform::TableView& /*table*/, platform::IndexPath indexPath) {
    return soundContextCommands(Catalogue::soundEntryAt(RootData, indexPath.section, indexPath.row),
                                self<MainPage>());
}
