#pragma once

#include "ViewPainter.h"

namespace platform {

// A scroll view: a plain view that always clips its content, like its
// phone counterpart, with scroll indicators over it while it scrolls.
class ScrollViewPainter final : public ViewPainter {
  public:
    void paint(QPainter& painter, const View& view, const QRectF& bounds, PaintScene& scene,
               bool highlighted) const override;

  protected:
    bool alwaysClips() const override { return true; }
};

}  // namespace platform
