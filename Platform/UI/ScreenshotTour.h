#pragma once

#include "ScreenshotStep.h"

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// The walk through its screens that an application describes for --screenshot:
// taps, pauses on the clock, and the pictures to take. The window host runs it
// on a manual clock, so every picture shows a chosen instant, and stops at the
// first step that cannot be done.
class ScreenshotTour {
  public:
    ScreenshotTour& tapBarButton(ScreenshotStep::BarButton button);
    ScreenshotTour& tapFirstRow();
    ScreenshotTour& tapControl(std::string accessibilityName);
    // `purpose` says what the taps before it did, for the line logged when they did not.
    ScreenshotTour& expectDepth(std::size_t depth, std::string purpose);
    ScreenshotTour& wait(double seconds);
    // A picture of the pages as they stand, drawn at `scale` pixels per point
    // (a scale that is not positive draws at 1).
    ScreenshotTour& capture(std::string pictureName, double scale = 1.0);
    // A window command (WindowCommands) by its title, as its shortcut would run it.
    ScreenshotTour& runCommand(std::string title);
    // Text typed into the window, as key presses.
    ScreenshotTour& type(std::string text);

    const std::vector<ScreenshotStep>& steps() const { return m_steps; }
    // The pictures the tour writes, in order, without ".png".
    std::vector<std::string> pictureNames() const;

    // The tour of the running application: empty until the application sets
    // it, before UIApplicationMain. Main thread only.
    static const ScreenshotTour& applicationTour();
    static void setApplicationTour(ScreenshotTour tour);

  private:
    ScreenshotTour& add(ScreenshotStep step);
    std::vector<ScreenshotStep> m_steps;
};

}  // namespace platform
