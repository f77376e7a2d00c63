#include "ScaledTextDocument.h"

#include "ImageResolution.h"

#include <QFileInfo>
#include <QImage>

namespace platform {

QVariant ScaledTextDocument::loadResource(int type, const QUrl& name) {
    if (type == QTextDocument::ImageResource && m_doubleResolution) {
        const QUrl resolved = baseUrl().resolved(name);
        if (resolved.isLocalFile()) {
            const std::string sharp =
                ImageResolution::doubleResolutionName(resolved.toLocalFile().toStdString());
            const QString path = QString::fromStdString(sharp);
            if (QFileInfo(path).isFile()) {
                QImage image(path);
                if (!image.isNull()) {
                    image.setDevicePixelRatio(2.0);
                    return image;
                }
            }
        }
    }
    return QTextDocument::loadResource(type, name);
}

}  // namespace platform
