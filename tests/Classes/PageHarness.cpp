#include "PageHarness.h"

#include "../support/TestEnvironment.h"
#include "Classes/ApplicationClasses.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/UI/Application.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

namespace pagetest {
namespace {

// The shared application carries an opener and a delegate; no test may see
// another's.
const bool g_resetHookInstalled = [] {
    sbtest::addResetHook([] { platform::Application::resetSharedApplication(); });
    // The page tests run on the bundled content; when the test environment
    // does not name it, it is the source tree's.
    const char* bundle = std::getenv("SOUNDBOARD_BUNDLE");
    if (bundle == nullptr || *bundle == '\0')
        setenv("SOUNDBOARD_BUNDLE", SB_PAGES_SOURCE_BUNDLE, 1);
    return true;
}();

}  // namespace

std::filesystem::path makeBundle(std::string_view catalogue,
                                 const std::vector<std::string>& soundNames) {
    namespace fs = std::filesystem;
    (void)g_resetHookInstalled;
    fs::path source = sbtest::sourceBundle();
    fs::path folder = sbtest::tempDir() / "bundle";
    fs::create_directories(folder);
    fs::path aSound;
    for (const auto& item : fs::directory_iterator(source)) {
        auto extension = item.path().extension().string();
        if (extension == ".layout" || extension == ".png" || extension == ".html" ||
            extension == ".plist") {
            fs::copy_file(item.path(), folder / item.path().filename(),
                          fs::copy_options::overwrite_existing);
        }
        if (extension == ".aiff" && aSound.empty()) aSound = item.path();
    }
    if (!soundNames.empty() && aSound.empty()) throw std::runtime_error("no sound in the bundle");
    for (const auto& name : soundNames) {
        fs::copy_file(aSound, folder / (name + ".aiff"), fs::copy_options::overwrite_existing);
    }
    sbtest::writeFile(folder / "Data.XML", catalogue);
    return folder;
}

void useBundle(const std::filesystem::path& folder) {
    platform::Bundle::resetMainBundle();
    platform::Bundle::setMainBundlePath(folder);
}

PageHarness::PageHarness() : m_clock(std::make_shared<platform::ManualClock>()) {
    (void)g_resetHookInstalled;
    platform::RunLoop::main().setClock(m_clock);
    registerApplicationClasses();
    platform::Application::sharedApplication().setURLOpener([this](const platform::URL& url) {
        openedURLs.push_back(url.absoluteString());
        return openSucceeds;
    });
}

PageHarness::~PageHarness() {
    // Pending delayed calls hold pages; drop them before the stack goes.
    platform::RunLoop::main().reset();
    platform::Application::sharedApplication().setURLOpener(nullptr);
}

void PageHarness::launch() {
    auto root = platform::ViewController::initWithNibName<MainPage>("MainPage");
    ASSERT_TRUE(root);
    m_navigation = platform::NavigationController::initWithRootViewController(root);
    m_window = std::make_shared<platform::Window>(platform::Rect{0, 0, 320, 480});
    m_window->addSubview(m_navigation->view());
    m_window->makeKeyAndVisible();
}

MainPage& PageHarness::mainPage() {
    return dynamic_cast<MainPage&>(*m_navigation->viewControllers().front());
}

platform::ViewController* PageHarness::top() const {
    return m_navigation->topViewController();
}

std::size_t PageHarness::depth() const {
    return m_navigation->viewControllers().size();
}

std::weak_ptr<platform::ViewController> PageHarness::back() {
    return m_navigation->popViewControllerAnimated(true);
}

platform::Button& button(platform::ViewController& page, std::string_view name) {
    auto view = std::dynamic_pointer_cast<platform::Button>(page.view()->findView(name));
    if (!view) throw std::runtime_error("no button " + std::string(name));
    return *view;
}

std::vector<std::vector<std::string>> rowTexts(platform::TableView& table) {
    std::vector<std::vector<std::string>> sections;
    for (int section = 0; section < table.numberOfSections(); ++section) {
        std::vector<std::string> rows;
        for (int row = 0; row < table.numberOfRowsInSection(section); ++row) {
            table.scrollToRowAtIndexPath({section, row});
            auto cell = table.cellForRowAtIndexPath({section, row});
            rows.push_back(cell ? cell->textLabel().text() : std::string("<no cell>"));
        }
        sections.push_back(std::move(rows));
    }
    return sections;
}

int rightSystemItem(const platform::ViewController& page) {
    const auto& item = page.navigationItem().rightBarButtonItem();
    return item && item->systemItem() ? *item->systemItem() : -1;
}

}  // namespace pagetest
