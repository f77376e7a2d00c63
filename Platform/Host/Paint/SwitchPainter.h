#pragma once

#include "ViewPainter.h"

namespace platform {

// A switch: its track and knob, on or off.
class SwitchPainter final : public ViewPainter {
  protected:
    void paintContent(QPainter& painter, const View& view, const QRectF& bounds, PaintScene& scene,
                      bool highlighted) const override;
};

}  // namespace platform
