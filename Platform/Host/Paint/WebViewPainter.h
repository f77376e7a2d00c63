#pragma once

#include "ViewPainter.h"

namespace platform {

// A web view: its local page, or the address of a page that is not local.
class WebViewPainter final : public ViewPainter {
  protected:
    void paintContent(QPainter& painter, const View& view, const QRectF& bounds, PaintScene& scene,
                      bool highlighted) const override;
};

}  // namespace platform
