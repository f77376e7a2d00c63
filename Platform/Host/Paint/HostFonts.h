#pragma once

#include <QFont>

namespace platform {

// The one typeface the window draws with, so text looks the same on every
// desktop: DejaVu Sans, registered from its installed files when Qt's font
// database does not list it already.
class HostFonts {
  public:
    // Registers the fonts and makes DejaVu Sans the application's default.
    // Needs a QGuiApplication; call once after it exists.
    static void install();
    // Text is drawn no larger than this; far beyond any window.
    static constexpr int kLargestPixelSize = 4096;
    // DejaVu Sans at `pixelSize` points (one point is one logical pixel),
    // held between 1 and kLargestPixelSize (NaN gives 1).
    static QFont font(double pixelSize, bool bold = false);
};

}  // namespace platform
