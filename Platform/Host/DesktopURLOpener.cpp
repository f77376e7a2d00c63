#include "DesktopURLOpener.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace platform {

bool DesktopURLOpener::open(const URL& url) {
    const std::string& text = url.absoluteString();
    if (text.empty() || text.front() == '-') return false;
    const QUrl target(QString::fromStdString(text), QUrl::StrictMode);
    if (!target.isValid() || target.scheme().isEmpty()) return false;
    return QDesktopServices::openUrl(target);
}

}  // namespace platform
