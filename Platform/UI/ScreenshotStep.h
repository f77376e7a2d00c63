#pragma once

#include <cstddef>
#include <string>

namespace platform {

// One step of a screenshot tour: what the window host does next as it walks
// the application the way a user would (see ScreenshotTour).
struct ScreenshotStep {
    enum class Kind {
        kTapBarButton,  // a button of the outermost navigation bar
        kTapFirstRow,   // the first row of the first list on the top page
        kTapControl,    // the view of the top page with accessibility name `name`
        kExpectDepth,   // the outermost stack holds `depth` pages, else the tour fails
        kWait,          // the clock moves on by `seconds`
        kCapture,       // the page canvas as it stands at `scale`, written as `name`.png
        kRunCommand,    // the application's window command titled `name`
        kType,          // `name` typed on the keyboard, one key press per character
    };
    enum class BarButton { kBack, kLeft, kRight };

    Kind kind = Kind::kWait;
    BarButton barButton = BarButton::kBack;
    // kTapControl: the accessibility name; kCapture: the picture's name;
    // kRunCommand: the command's title; kType: the text;
    // kExpectDepth: what the taps before it did ("open the favourites"), for the log.
    std::string name;
    std::size_t depth = 0;
    double seconds = 0.0;
    // kCapture: pixels per canvas point (2 draws the pages as a window zoomed to 2x shows them).
    double scale = 1.0;
};

}  // namespace platform
