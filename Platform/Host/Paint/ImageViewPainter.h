#pragma once

#include "ViewPainter.h"

namespace platform {

// An image view: its image scaled to the bounds.
class ImageViewPainter final : public ViewPainter {
  protected:
    void paintContent(QPainter& painter, const View& view, const QRectF& bounds, PaintScene& scene,
                      bool highlighted) const override;
};

}  // namespace platform
