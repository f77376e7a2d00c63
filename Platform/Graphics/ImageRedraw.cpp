#include "ImageRedraw.h"

#include <cairo.h>

#include <cmath>

namespace platform {
namespace {

struct CairoContextRelease {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};

struct CairoPatternRelease {
    void operator()(cairo_pattern_t* pattern) const { cairo_pattern_destroy(pattern); }
};

bool isDrawableSide(double side) {
    return std::isfinite(side) && side >= 1.0 && side <= kMaxRedrawSide;
}

}  // namespace

std::shared_ptr<Image> redrawImage(const std::shared_ptr<Image>& image, const Rect& rect) {
    if (!image || image->surface() == nullptr || image->width() <= 0 || image->height() <= 0) {
        return nullptr;
    }
    if (!isDrawableSide(rect.width) || !isDrawableSide(rect.height) || !std::isfinite(rect.x) ||
        !std::isfinite(rect.y)) {
        return nullptr;
    }
    const auto width = static_cast<int>(static_cast<unsigned>(rect.width));
    const auto height = static_cast<int>(static_cast<unsigned>(rect.height));
    CairoSurfacePtr target(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(target.get()) != CAIRO_STATUS_SUCCESS) return nullptr;

    std::unique_ptr<cairo_t, CairoContextRelease> context(cairo_create(target.get()));
    std::unique_ptr<cairo_pattern_t, CairoPatternRelease> pattern(
        cairo_pattern_create_for_surface(image->surface()));
    // Padding repeats the edge pixels for the filter, so scaled edges stay opaque
    // instead of fading into the transparent outside.
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_PAD);
    cairo_translate(context.get(), rect.x, rect.y);
    cairo_scale(context.get(), rect.width / image->width(), rect.height / image->height());
    cairo_set_source(context.get(), pattern.get());
    cairo_rectangle(context.get(), 0, 0, image->width(), image->height());
    cairo_fill(context.get());
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    context.reset();
    return Image::imageWithSurface(target.release());
}

}  // namespace platform
