#pragma once

#include <QWidget>

namespace platform {

// Where the user left the window, as the application remembers it
// (WindowCommands::rememberFrame): put back before the window shows, kept on a
// screen that is there now.
class SavedFrame {
  public:
    // Moves `window` to the remembered place, and gives a resizable window the
    // remembered size (no smaller than its minimum). Without a remembered frame,
    // or without a screen, the window stays as it is.
    static void restore(QWidget& window);
};

}  // namespace platform
