#pragma once

#include "ViewPainter.h"

namespace platform {

// A label: its text in its font, colour and alignment, elided on one line or
// wrapped over its number of lines (white on a highlighted row).
class LabelPainter final : public ViewPainter {
  protected:
    void paintContent(QPainter& painter, const View& view, const QRectF& bounds, PaintScene& scene,
                      bool highlighted) const override;
};

}  // namespace platform
