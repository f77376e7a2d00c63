#pragma once

#include "ViewPainter.h"

namespace platform {

// A button: its body, title or image, in its style.
class ButtonPainter final : public ViewPainter {
  protected:
    void paintContent(QPainter& painter, const View& view, const QRectF& bounds, PaintScene& scene,
                      bool highlighted) const override;
};

}  // namespace platform
