#pragma once

#include "ViewPainter.h"

namespace platform {

// A text field: a rounded white box, its text (or its grey placeholder while
// empty) and a steady caret. The caret does not blink, so a window showing a
// field needs no timer while nothing happens. A text wider than the box
// slides left so the caret stays in sight.
class TextFieldPainter final : public ViewPainter {
  protected:
    void paintContent(QPainter& painter, const View& view, const QRectF& bounds, PaintScene& scene,
                      bool highlighted) const override;
};

}  // namespace platform
