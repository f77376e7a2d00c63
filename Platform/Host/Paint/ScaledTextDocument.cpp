#include "ScaledTextDocument.h"

#include "ImageResolution.h"
#include "Platform/Foundation/FileContents.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Graphics/Image.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <algorithm>

namespace platform {
namespace {

bool isWithin(const std::filesystem::path& inner, const std::filesystem::path& outer) {
    return std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end()).first ==
           outer.end();
}

}  // namespace

ScaledTextDocument::ScaledTextDocument(bool doubleResolution,
                                       const std::vector<std::filesystem::path>& folders)
    : m_doubleResolution(doubleResolution) {
    for (const auto& folder : folders) {
        std::error_code failed;
        auto real = std::filesystem::canonical(folder, failed);
        if (!failed) m_folders.push_back(std::move(real));
    }
}

std::optional<QImage> ScaledTextDocument::picture(const std::string& path, double pixelRatio) {
    std::error_code failed;
    const auto real = std::filesystem::canonical(path, failed);
    if (failed) return std::nullopt;
    if (std::none_of(m_folders.begin(), m_folders.end(),
                     [&](const auto& folder) { return isWithin(real, folder); })) {
        LogOnce("WebView: picture " + path + " lies outside the page's folders; it is not drawn");
        return std::nullopt;
    }
    if (!std::filesystem::is_regular_file(real, failed)) {
        LogOnce("WebView: picture " + path + " is not a regular file; it is not drawn");
        return std::nullopt;
    }
    const FileContents contents = readFileContents(real, Image::kMaximumFileBytes);
    if (contents.tooLarge()) {
        LogOnce("WebView: picture " + path + " is " + sizeText(contents.size) + ", over the " +
                sizeText(Image::kMaximumFileBytes) + " a picture may have; it is not drawn");
    }
    if (!contents.bytes) return std::nullopt;
    QByteArray bytes = QByteArray::fromStdString(*contents.bytes);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid()) return std::nullopt;
    const auto pixels = static_cast<std::uint64_t>(size.width()) * size.height();
    if (size.width() > Image::kMaximumSide || size.height() > Image::kMaximumSide ||
        pixels > Image::kMaximumPixels || pixels > m_pixelsLeft) {
        LogOnce("WebView: picture " + path + " is " + std::to_string(size.width()) + " x " +
                std::to_string(size.height()) + " pixels, over what a picture (" +
                std::to_string(Image::kMaximumPixels) + ") or a page's pictures (" +
                std::to_string(kPagePixels) + ") may have; it is not drawn");
        return std::nullopt;
    }
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    m_pixelsLeft -= pixels;
    image.setDevicePixelRatio(pixelRatio);
    return image;
}

QVariant ScaledTextDocument::loadResource(int type, const QUrl& name) {
    if (type != QTextDocument::ImageResource) return {};
    const QUrl resolved = baseUrl().resolved(name);
    std::optional<QImage> image;
    if (resolved.isLocalFile()) {
        const std::string path = resolved.toLocalFile().toStdString();
        if (m_doubleResolution) image = picture(ImageResolution::doubleResolutionName(path), 2.0);
        if (!image) image = picture(path, 1.0);
    }
    // Kept, refused or not, so that no later layout asks for the file again.
    const QVariant result = QVariant(image.value_or(QImage()));
    addResource(type, name, result);
    return result;
}

}  // namespace platform
