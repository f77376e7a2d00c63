#pragma once

#include "Geometry.h"
#include "Image.h"

#include <memory>

namespace platform {

// The largest side, in pixels, a redrawn bitmap may have.
inline constexpr double kMaxRedrawSide = 16384;

// A new bitmap of rect.width x rect.height pixels (each truncated) with `image` scaled
// into the rectangle; the origin shifts the picture right and down, and what falls
// outside the new bitmap is cut off. Edge pixels are repeated for the filter, so a
// scaled picture's edges stay opaque. None for a missing or empty image, a side that
// is not between 1 and kMaxRedrawSide pixels, or an origin that is not finite.
std::shared_ptr<Image> redrawImage(const std::shared_ptr<Image>& image, const Rect& rect);

}  // namespace platform
