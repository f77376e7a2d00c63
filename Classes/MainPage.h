#pragma once

#include "Classes/OpenedRow.h"
#include "Classes/SPLibrary/SPXMLElement.h"
#include "Platform/UI/LayoutRegistry.h"
#include "Platform/UI/Switch.h"
#include "Platform/UI/TableView.h"
#include "Platform/UI/ViewController.h"
#include "Platform/UI/WebView.h"

#include <memory>

// The root page: the sounds of the catalogue's first category as a sound list,
// an options panel with the vibration switch that slides in from above, a
// button to the favourites page, and the banner.
class MainPage : public platform::ViewController,
                 public platform::TableViewDataSource,
                 public platform::TableViewDelegate,
                 public platform::WebViewDelegate {
  public:
    static void describeLayout(platform::LayoutClass<MainPage>& layout);

    // The options panel's frame, closed (wholly above the page) and open.
    static constexpr platform::Rect kOptionsClosedFrame{30, -60, 260, 50};
    static constexpr platform::Rect kOptionsOpenFrame{30, 0, 260, 50};
    static constexpr double kOptionsAnimationDuration = 0.3;

    void viewDidLoad() override;

    // Commands by name while on top (see command_names).
    std::optional<platform::CommandState> commandState(std::string_view name) const override;
    bool performCommand(std::string_view name, std::string_view argument) override;
    void viewWillAppear(bool animated) override;
    // The title of the category listed (the catalogue's first).
    std::string windowTitle() const override;
    // Reads the catalogue anew and lists it (after sounds were added to the board).
    void reloadCatalogue();

    // Slides the options panel in or out.
    void optionPop();
    // Escape slides an open options panel out; with the panel closed it does nothing here.
    bool cancelOperation() override;
    // Stores the vibration switch's state as the "vibrate" flag.
    void vibeSet();
    // Pushes a new favourites page.
    void toLovePage();

    void setRootData(std::shared_ptr<SPXMLElement> root) { RootData = std::move(root); }

    int numberOfSectionsInTableView(platform::TableView& table) override;
    int tableViewNumberOfRowsInSection(platform::TableView& table, int section) override;
    std::shared_ptr<platform::TableViewCell> tableViewCellForRowAtIndexPath(
        platform::TableView& table, platform::IndexPath indexPath) override;
    void tableViewDidSelectRowAtIndexPath(platform::TableView& table,
                                          platform::IndexPath indexPath) override;
    std::vector<platform::WindowCommand> tableViewContextCommandsForRowAtIndexPath(
        platform::TableView& table, platform::IndexPath indexPath) override;
    bool webViewShouldStartLoadWithRequest(platform::WebView& webView,
                                           const platform::URLRequest& request,
                                           int navigationType) override;

    // The catalogue's document element: the list root. Owned by the page.
    std::shared_ptr<SPXMLElement> RootData;
    // Outlets from the layout.
    std::shared_ptr<platform::TableView> RootTable;
    std::shared_ptr<platform::WebView> Ad;
    std::shared_ptr<platform::Switch> vibeSwitch;
    std::shared_ptr<platform::View> optionView;
    // Whether the options panel is open (or moving towards open).
    bool OVopen = false;

  private:
    OpenedRow m_opened;
};
