#pragma once

#include "Platform/Host/Paint/NavigationBarLayout.h"

#include <filesystem>
#include <memory>
#include <string_view>

namespace platform {

class Application;
class HostWindow;
class ManualClock;
class ScreenshotTour;
class View;
struct ScreenshotStep;

// Walks the application through the screenshot tour it describes, tapping it
// as a user would and stepping a manual clock to the instants the tour names,
// and writes one PNG per picture of the tour. The walk may change settings (a
// favourite marked); it runs on temporary user defaults, so the user's own
// settings stay untouched.
class ScreenshotTourRunner {
  public:
    ScreenshotTourRunner(HostWindow& window, Application& application);

    // Writes every picture of `tour` into `folder` (created when missing).
    // False, after logging which step failed, when a step or a file could not
    // be made, or when the tour takes no picture at all.
    bool run(const ScreenshotTour& tour, const std::filesystem::path& folder);

  private:
    bool walk(const ScreenshotTour& tour, const std::filesystem::path& folder);
    bool perform(const ScreenshotStep& step, const std::filesystem::path& folder);
    void advance(double seconds);
    bool capture(const std::filesystem::path& folder, std::string_view name, double scale);
    bool tapBarButton(NavigationBarLayout::Part part);
    bool tapFirstRow();
    bool tapControl(std::string_view accessibilityName);
    bool expectDepth(std::size_t depth, std::string_view step);
    bool runCommand(std::string_view title);
    void type(std::string_view text);
    std::shared_ptr<View> root() const;

    HostWindow& m_window;
    Application& m_application;
    std::shared_ptr<ManualClock> m_clock;
};

}  // namespace platform
