#include "ImageResolution.h"

#include "Platform/Foundation/Bundle.h"

#include <QPaintDevice>

#include <cmath>
#include <filesystem>
#include <map>
#include <utility>

namespace platform {
namespace {

// Above this many pixels per point the 1x drawing would be stretched.
constexpr double kDoubleResolutionFrom = 1.0 + 1e-6;

}  // namespace

double ImageResolution::pixelsPerPoint(const QPainter& painter) {
    // The device transform includes the device's pixel ratio: a unit square
    // covers |det| device pixels.
    const double area = std::abs(painter.deviceTransform().determinant());
    return area > 0 && std::isfinite(area) ? std::sqrt(area) : 1.0;
}

std::string ImageResolution::doubleResolutionName(const std::string& name) {
    if (name.empty()) return {};
    const std::filesystem::path path(name);
    if (!path.has_extension()) return name + "@2x";
    return (path.parent_path() / (path.stem().string() + "@2x" + path.extension().string()))
        .string();
}

const Image& ImageResolution::forScale(const Image& image, double pixelsPerPoint) {
    if (pixelsPerPoint < kDoubleResolutionFrom || image.name().empty()) return image;
    auto bundle = Bundle::mainBundle();
    if (!bundle) return image;
    // Misses are kept too: a picture without a @2x drawing costs one file look-up.
    static std::map<std::pair<std::string, std::string>, std::shared_ptr<Image>> known;
    const auto key = std::make_pair(bundle->bundlePath().string(), image.name());
    auto found = known.find(key);
    if (found == known.end()) {
        found = known.emplace(key, Image::imageNamed(doubleResolutionName(image.name()))).first;
    }
    return found->second ? *found->second : image;
}

}  // namespace platform
