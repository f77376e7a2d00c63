#pragma once

#include "PaintScene.h"

#include <QPainter>
#include <QRectF>

namespace platform {

class View;

// Draws one type of view; the host keeps one per view type (ViewPainters).
// This base draws a plain view: its background colour, then its subviews
// (clipped to its bounds when it clips). Painters of other types add their own
// content between the two, or draw the whole view themselves.
class ViewPainter {
  public:
    virtual ~ViewPainter() = default;

    // Draws `view` with its top-left at the painter's origin; the view's alpha
    // is already in the painter's opacity. `bounds` is (0, 0, width, height).
    virtual void paint(QPainter& painter, const View& view, const QRectF& bounds, PaintScene& scene,
                       bool highlighted) const;
    // The background and the type's own content, without the subviews.
    void paintOwnContent(QPainter& painter, const View& view, const QRectF& bounds,
                         PaintScene& scene, bool highlighted) const;

  protected:
    // What the type draws over its background; nothing for a plain view.
    virtual void paintContent(QPainter& painter, const View& view, const QRectF& bounds,
                              PaintScene& scene, bool highlighted) const;
    // Whether subviews are clipped to the bounds even when the view does not clip.
    virtual bool alwaysClips() const { return false; }
};

}  // namespace platform
