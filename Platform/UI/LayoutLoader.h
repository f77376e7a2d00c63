#pragma once

#include "LayoutRegistry.h"
#include "View.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

class ApplicationDelegate;
class Bundle;
class NavigationController;
class Window;

// Reads layout files (`<Name>.layout` in a bundle) and builds what they describe.
// Every failure is reported as exactly one log line naming the file and the
// problem, and yields nothing; a failed load connects nothing to its owner.
class LayoutLoader {
  public:
    // The view tree of page layout `name` of `bundle` (null: the main bundle),
    // with outlets, actions and delegates connected to `owner`, which `info` describes.
    static std::shared_ptr<View> loadPageLayout(std::string_view name,
                                                const std::shared_ptr<Bundle>& bundle,
                                                Object& owner, const LayoutClassInfo& info);

    // What the main window layout made. Holding it keeps every object alive.
    struct MainWindow {
        std::shared_ptr<ApplicationDelegate> applicationDelegate;  // role="applicationDelegate"
        std::shared_ptr<Window> window;
        std::vector<std::shared_ptr<NavigationController>> navigationControllers;
        // Every object the layout made, by id, in document order.
        std::vector<std::pair<std::string, std::shared_ptr<Object>>> objects;

        std::shared_ptr<Object> object(std::string_view id) const;
    };

    // Creates and connects the objects of the main window layout `name`.
    static std::optional<MainWindow> loadMainWindowLayout(std::string_view name,
                                                          const std::shared_ptr<Bundle>& bundle);
};

}  // namespace platform
