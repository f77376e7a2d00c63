#pragma once

#include "NavigationBarLayout.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Application;
class HostWindow;
class ManualClock;
class View;

// Walks the application through its screens by tapping it as a user would,
// stepping a manual clock to instants where each screen looks its part, and
// writes one PNG per screen. The walk marks a favourite; it runs on temporary
// user defaults, so the user's own settings stay untouched.
class ScreenshotTour {
  public:
    ScreenshotTour(HostWindow& window, Application& application);

    // The pictures written, in order, without the ".png".
    static const std::vector<std::string>& pictureNames();

    // Writes every picture into `folder` (created when missing). False, after
    // logging which step failed, when a step or a file could not be made.
    bool run(const std::filesystem::path& folder);

  private:
    bool walk(const std::filesystem::path& folder);
    void advance(double seconds);
    bool capture(const std::filesystem::path& folder, std::string_view name);
    bool tapBarButton(NavigationBarLayout::Part part);
    bool tapFirstRow();
    bool tapControl(std::string_view accessibilityName);
    bool expectDepth(std::size_t depth, std::string_view step);
    std::shared_ptr<View> root() const;

    HostWindow& m_window;
    Application& m_application;
    std::shared_ptr<ManualClock> m_clock;
};

}  // namespace platform
