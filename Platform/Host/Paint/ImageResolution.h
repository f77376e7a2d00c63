#pragma once

#include "Platform/Graphics/Image.h"

#include <QPainter>

#include <memory>
#include <string>

namespace platform {

// Picks the drawing of a bundle picture that fits the pixels it lands on. The
// bundle holds each picture at 1x ("Play.png") and may hold it again at twice
// the pixels ("Play@2x.png"); a window shown zoomed or on a dense screen draws
// the second, so pictures stay as sharp as the text around them. Main thread only.
class ImageResolution {
  public:
    // How many device pixels one unit of the painter's coordinates covers now
    // (its transform and its device's pixel ratio together).
    static double pixelsPerPoint(const QPainter& painter);

    // The name of the double-resolution drawing of a picture named `name`
    // ("Play.png" -> "Play@2x.png", "Play" -> "Play@2x"); empty for an empty name.
    static std::string doubleResolutionName(const std::string& name);

    // The drawing of `image` to use at `pixelsPerPoint`: its @2x drawing from the
    // main bundle above 1 pixel per point when the bundle has one, else `image`
    // itself. Whether the bundle has one is looked up once per bundle folder and
    // name, and a @2x drawing found is kept for the life of the process, so the
    // result lives as long as `image` does, or longer.
    static const Image& forScale(const Image& image, double pixelsPerPoint);
};

}  // namespace platform
