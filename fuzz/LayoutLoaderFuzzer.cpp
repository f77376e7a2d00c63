// Reads arbitrary bytes as a layout file of a bundle, both as a page layout and as a main
// window layout. A load either builds a tree that can be laid out, hit and tapped, or fails
// with exactly one log line naming the file and having connected nothing to its owner.
#include "FuzzWorkspace.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Log.h"
#include "Platform/UI/ApplicationDelegate.h"
#include "Platform/UI/Button.h"
#include "Platform/UI/ImageView.h"
#include "Platform/UI/Label.h"
#include "Platform/UI/LayoutLoader.h"
#include "Platform/UI/MainWindowLoader.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/ScrollView.h"
#include "Platform/UI/Switch.h"
#include "Platform/UI/TableView.h"
#include "Platform/UI/TableViewCell.h"
#include "Platform/UI/ViewController.h"
#include "Platform/UI/WebView.h"
#include "Platform/UI/Window.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

// A page that declares an outlet of every view type, two actions and every delegate role,
// so that whatever a layout may connect can be connected.
class FuzzPage : public platform::ViewController,
                 public platform::TableViewDataSource,
                 public platform::TableViewDelegate,
                 public platform::WebViewDelegate {
  public:
    static void describeLayout(platform::LayoutClass<FuzzPage>& layout) {
        layout.outlet("anyView", &FuzzPage::anyView)
            .outlet("label", &FuzzPage::label)
            .outlet("button", &FuzzPage::button)
            .outlet("image", &FuzzPage::image)
            .outlet("toggle", &FuzzPage::toggle)
            .outlet("scroll", &FuzzPage::scroll)
            .outlet("table", &FuzzPage::table)
            .outlet("web", &FuzzPage::web)
            .action("tap", &FuzzPage::tap)
            .action("flip", &FuzzPage::tap);
    }

    bool connectedNothing() const {
        return !anyView && !label && !button && !image && !toggle && !scroll && !table && !web;
    }

    int numberOfSectionsInTableView(platform::TableView&) override { return 2; }
    int tableViewNumberOfRowsInSection(platform::TableView&, int section) override {
        return section == 0 ? 3 : 40;
    }
    std::shared_ptr<platform::TableViewCell> tableViewCellForRowAtIndexPath(
        platform::TableView& tableView, platform::IndexPath indexPath) override {
        auto cell = tableView.dequeueReusableCellWithIdentifier("row");
        if (!cell) cell = platform::TableViewCell::initWithFrameReuseIdentifier({}, "row");
        cell->textLabel().setText(std::to_string(indexPath.row));
        return cell;
    }
    void tap() { ++taps; }

    std::shared_ptr<platform::View> anyView;
    std::shared_ptr<platform::Label> label;
    std::shared_ptr<platform::Button> button;
    std::shared_ptr<platform::ImageView> image;
    std::shared_ptr<platform::Switch> toggle;
    std::shared_ptr<platform::ScrollView> scroll;
    std::shared_ptr<platform::TableView> table;
    std::shared_ptr<platform::WebView> web;
    int taps = 0;
};

class FuzzDelegate : public platform::Object, public platform::ApplicationDelegate {
  public:
    static void describeLayout(platform::LayoutClass<FuzzDelegate>& layout) {
        layout.outlet("window", &FuzzDelegate::window)
            .outlet("navigationController", &FuzzDelegate::navigationController)
            .outlet("anyView", &FuzzDelegate::anyView);
    }
    std::shared_ptr<platform::Window> window;
    std::shared_ptr<platform::NavigationController> navigationController;
    std::shared_ptr<platform::View> anyView;
};

// A page layout the main window layouts of the corpus can name.
constexpr const char* kPageLayout = R"(<?xml version="1.0" encoding="UTF-8"?>
<layout owner="FuzzPage">
  <View id="view" frame="0,0,320,436">
    <TableView outlet="table" frame="0,0,320,300" dataSource="owner" delegate="owner"/>
    <Button outlet="button" frame="10,310,100,40" title="Tap" action="tap"/>
  </View>
</layout>
)";

// The same kind of tiny PNG the bundle's images are, for image attributes.
constexpr unsigned char kPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
    0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00,
    0x00, 0x1f, 0x15, 0xc4, 0x89, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x44, 0x41, 0x54, 0x78,
    0x9c, 0x63, 0xf8, 0xcf, 0xc0, 0xf0, 0x1f, 0x00, 0x05, 0x00, 0x01, 0xff, 0x89, 0x99,
    0x3d, 0x1d, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

fuzzsupport::Workspace& workspace() {
    static fuzzsupport::Workspace instance;
    return instance;
}

std::shared_ptr<platform::Bundle>& bundle() {
    static std::shared_ptr<platform::Bundle> instance;
    return instance;
}

bool failedWithOneLine(const platform::LogCapture& log, const std::string& file) {
    const auto lines = log.messages();
    if (lines.size() != 1) return false;
    const std::string& line = lines.front();
    for (char c : line) {
        if (static_cast<unsigned char>(c) < 0x20) return false;
    }
    return line.rfind("Layout ", 0) == 0 && line.find(file) != std::string::npos;
}

// Lays the tree out and sends it the input a user could: taps over a grid, every control.
void exercise(platform::View& root) {
    root.layoutIfNeeded();
    const platform::Rect frame = root.frame();
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            root.deliverTap({frame.width * x / 4, frame.height * y / 4});
        }
    }
    if (auto table = std::dynamic_pointer_cast<platform::TableView>(root.findView("table"))) {
        table->scrollToRowAtIndexPath({1, 39});
        table->layoutIfNeeded();
    }
}

void loadAsPage(const std::string& file) {
    auto page = std::make_shared<FuzzPage>();
    platform::LogCapture log;
    auto view = platform::LayoutLoader::loadPageLayout(
                    "Fuzz", bundle(), *page, platform::LayoutRegistry::infoFor<FuzzPage>())
                    .view;
    if (!view) {
        require(failedWithOneLine(log, file));
        require(page->connectedNothing());
        return;
    }
    require(log.messages().empty());
    page->setView(view);
    exercise(*view);
}

void loadAsMainWindow(const std::string& file) {
    platform::LogCapture log;
    auto made = platform::MainWindowLoader::load("Fuzz", bundle());
    if (!made) {
        // A page the window names may have failed instead; its line names its own file.
        require(log.messages().size() == 1);
        return;
    }
    require(log.messages().empty());
    (void)file;
    if (made->window) exercise(*made->window);
    for (const auto& stack : made->navigationControllers) {
        require(stack && stack->viewControllers().size() == 1);
        exercise(*stack->view());
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    auto& folder = workspace().folder;
    fuzzsupport::writeFile(folder / "Page.layout", kPageLayout);
    fuzzsupport::writeFile(folder / "i.png",
                           std::string(reinterpret_cast<const char*>(kPng), sizeof kPng));
    bundle() = platform::Bundle::bundleWithPath(folder);
    require(bundle() != nullptr);
    platform::LayoutRegistry::registerClass<FuzzPage>("FuzzPage");
    platform::LayoutRegistry::registerClass<FuzzDelegate>("FuzzDelegate");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = workspace().folder / "Fuzz.layout";
    fuzzsupport::writeFile(path, std::string(reinterpret_cast<const char*>(data), size));
    loadAsPage(path.string());
    loadAsMainWindow(path.string());
    return 0;
}
