#pragma once

#include "Classes/OpenedRow.h"
#include "Classes/SPLibrary/SPXMLElement.h"
#include "Platform/UI/LayoutRegistry.h"
#include "Platform/UI/TableView.h"
#include "Platform/UI/ViewController.h"
#include "Platform/UI/WebView.h"

#include <memory>

// The favourites page: the marked sounds of every catalogue category, as a sound
// list with one section per category. It keeps no list of its own: every
// appearance reads the catalogue again, writes the favourites document from it
// and the marks, reads that back and lists it, so marks changed on a play page
// show as soon as the user comes back.
class LovePage : public platform::ViewController,
                 public platform::TableViewDataSource,
                 public platform::TableViewDelegate,
                 public platform::WebViewDelegate {
  public:
    static void describeLayout(platform::LayoutClass<LovePage>& layout);

    void viewDidLoad() override;

    // Commands by name while on top (see command_names).
    std::optional<platform::CommandState> commandState(std::string_view name) const override;
    bool performCommand(std::string_view name, std::string_view argument) override;
    void viewWillAppear(bool animated) override;

    void setRootData(std::shared_ptr<SPXMLElement> root) { RootData = std::move(root); }
    void setLoveData(std::shared_ptr<SPXMLElement> root) { LoveData = std::move(root); }

    int numberOfSectionsInTableView(platform::TableView& table) override;
    int tableViewNumberOfRowsInSection(platform::TableView& table, int section) override;
    std::string tableViewAccessibilityTitleForSection(platform::TableView& table,
                                                      int section) override;
    std::shared_ptr<platform::TableViewCell> tableViewCellForRowAtIndexPath(
        platform::TableView& table, platform::IndexPath indexPath) override;
    void tableViewDidSelectRowAtIndexPath(platform::TableView& table,
                                          platform::IndexPath indexPath) override;
    std::vector<platform::WindowCommand> tableViewContextCommandsForRowAtIndexPath(
        platform::TableView& table, platform::IndexPath indexPath) override;
    bool webViewShouldStartLoadWithRequest(platform::WebView& webView,
                                           const platform::URLRequest& request,
                                           int navigationType) override;

    // The catalogue's document element, read anew on every appearance.
    std::shared_ptr<SPXMLElement> RootData;
    // The favourites document's LoveXML element: the list root.
    std::shared_ptr<SPXMLElement> LoveData;
    // Outlets from the layout.
    std::shared_ptr<platform::TableView> LoveTable;
    std::shared_ptr<platform::WebView> Ad;

  private:
    OpenedRow m_opened;
};
