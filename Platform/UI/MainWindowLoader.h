#pragma once

#include "Object.h"

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

// Reads the main window layout (Info.plist's NSMainNibFile) and makes what it
// describes: the application delegate, the window, navigation stacks with their
// root pages (loaded like any page layout), and the connections between them.
// A failure is one log line and yields nothing.
class MainWindowLoader {
  public:
    // What the main window layout made. Holding it keeps every object alive.
    struct MainWindow {
        std::shared_ptr<ApplicationDelegate> applicationDelegate;  // role="applicationDelegate"
        std::shared_ptr<Window> window;
        std::vector<std::shared_ptr<NavigationController>> navigationControllers;
        // Every object the layout made, by id, in document order.
        std::vector<std::pair<std::string, std::shared_ptr<Object>>> objects;

        std::shared_ptr<Object> object(std::string_view id) const;
    };

    // Creates and connects the objects of the main window layout `name` of
    // `bundle` (null: the main bundle).
    static std::optional<MainWindow> load(std::string_view name,
                                          const std::shared_ptr<Bundle>& bundle);
};

}  // namespace platform
