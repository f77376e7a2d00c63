#include "DesktopURLOpener.h"

#include "Platform/UI/Application.h"

#include <QDesktopServices>

#include <QString>
#include <QUrl>
#include <cstdlib>

namespace platform {

bool DesktopURLOpener::open(const URL& url) {
    const std::string& text = url.absoluteString();
    if (text.empty() || text.front() == '-') return false;
    const QUrl target(QString::fromStdString(text), QUrl::StrictMode);
    if (!target.isValid() || target.scheme().isEmpty()) return false;
    // A handler the user named outranks the desktop's, as it does without a window.
    if (const char* handler = std::getenv("SOUNDBOARD_URL_HANDLER");
        handler != nullptr && *handler != '\0') {
        return Application::openWithXdgOpen(url);
    }
    return QDesktopServices::openUrl(target);
}

}  // namespace platform
