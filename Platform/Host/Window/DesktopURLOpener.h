#pragma once

#include "Platform/Foundation/URL.h"

namespace platform {

// Opens URLs outside the application through the desktop (Qt's desktop
// services: the portal or xdg-open), or through $SOUNDBOARD_URL_HANDLER when
// that names a program. Needs a QGuiApplication.
class DesktopURLOpener {
  public:
    // Whether the URL was handed over. Text that is empty, starts with "-"
    // (which a handler would read as an option) or does not parse is refused.
    static bool open(const URL& url);
};

}  // namespace platform
