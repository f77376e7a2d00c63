#include "PageWindowTitle.h"

#include "Platform/UI/Application.h"
#include "Platform/UI/ViewController.h"

namespace platform {

QString pageWindowTitle(const Application& application, const QString& applicationName) {
    const auto page = application.topPage();
    const std::string own = page ? page->windowTitle() : std::string();
    if (own.empty()) return applicationName;
    return QString::fromStdString(own) + QStringLiteral(" \u2014 ") + applicationName;
}

}  // namespace platform
