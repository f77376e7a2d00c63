#pragma once

#include <QString>

namespace platform {

class Application;

// The desktop window's title while the application's pages show: the top
// page's own window title (ViewController::windowTitle) before the
// application's name, or that name alone.
QString pageWindowTitle(const Application& application, const QString& applicationName);

}  // namespace platform
