#pragma once

#include <QIcon>
#include <QString>

namespace platform {

// How the window presents the application, read from the main bundle's
// Info.plist at each call (a newly opened board brings its own).
class BundleIdentity {
  public:
    // The window's title and accessible name: the bundle's display name, else
    // its name, else the program's.
    static QString displayName();
    // What assistive technology reads about the window as a whole (how to use it).
    static QString windowDescription();
    // The application's own icon, also while a board is open: a board's
    // pictures are its pages', not the program's face. Null when it has none.
    static QIcon applicationIcon();
};

}  // namespace platform
