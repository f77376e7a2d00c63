#include "HostFonts.h"

#include <QFontDatabase>
#include <QGuiApplication>

#include <algorithm>
#include <array>

namespace platform {
namespace {

constexpr const char* kFamily = "DejaVu Sans";

// Where fonts-dejavu-core puts its files.
constexpr std::array<const char*, 2> kFontFiles{
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
};

}  // namespace

void HostFonts::install() {
    if (!QFontDatabase::families().contains(QString::fromLatin1(kFamily))) {
        for (const char* file : kFontFiles)
            QFontDatabase::addApplicationFont(QString::fromLatin1(file));
    }
    QGuiApplication::setFont(font(13));
}

QFont HostFonts::font(double pixelSize, bool bold) {
    QFont font(QString::fromLatin1(kFamily));
    // Qt refuses sizes below one pixel; the model may ask for anything, and a
    // double out of int's range must not reach the conversion.
    const double held = pixelSize >= 1.0 ? std::min(pixelSize, double(kLargestPixelSize)) : 1.0;
    font.setPixelSize(static_cast<int>(held + 0.5));
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

}  // namespace platform
