#pragma once

#include "Classes/LovePage.h"
#include "Classes/MainPage.h"
#include "Classes/PlayPage.h"
#include "Platform/Foundation/Clock.h"
#include "Platform/UI/Button.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/Window.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pagetest {

// A small bundle in the test's temporary folder: the real bundle's layouts,
// images, banner page and Info.plist, the given catalogue, and a copy of one
// real sound file under each name in `soundNames` (without ".aiff").
std::filesystem::path makeBundle(std::string_view catalogue,
                                 const std::vector<std::string>& soundNames = {});
// Makes `folder` the main bundle.
void useBundle(const std::filesystem::path& folder);

// The application as the main window layout would set it up, driven by hand:
// a manual clock on the main run loop, a recording URL opener, the application
// classes registered, and a window holding a navigation stack whose root is the
// main page made from its layout.
class PageHarness {
  public:
    PageHarness();
    ~PageHarness();
    PageHarness(const PageHarness&) = delete;
    PageHarness& operator=(const PageHarness&) = delete;

    // Builds the stack and shows the main page.
    void launch();

    platform::NavigationController& navigation() { return *m_navigation; }
    MainPage& mainPage();
    platform::ViewController* top() const;
    template <class T>
    T* topAs() const {
        return dynamic_cast<T*>(top());
    }
    std::size_t depth() const;
    // Pops the top page; the popped page is returned only as a weak pointer.
    std::weak_ptr<platform::ViewController> back();

    void advance(double seconds) { m_clock->advance(seconds); }
    double now() const { return m_clock->now(); }

    // URLs handed to the system, and what the system answers.
    std::vector<std::string> openedURLs;
    bool openSucceeds = true;

  private:
    std::shared_ptr<platform::ManualClock> m_clock;
    std::shared_ptr<platform::Window> m_window;
    std::shared_ptr<platform::NavigationController> m_navigation;
};

// A control of `page`'s view by accessibility name; fails the test when absent.
platform::Button& button(platform::ViewController& page, std::string_view name);
// The texts of every row of `table`, section by section.
std::vector<std::vector<std::string>> rowTexts(platform::TableView& table);
// The system item of the page's right bar button (4 add, 16 trash); -1 without one.
int rightSystemItem(const platform::ViewController& page);

}  // namespace pagetest
