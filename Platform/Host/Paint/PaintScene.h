#pragma once

#include "PaintFeedback.h"

#include <QPainter>

namespace platform {

class View;
class WebContentCache;

// What a view painter may ask of the frame being drawn: to draw other views
// (its subviews, through their own painters) and the host's web content.
class PaintScene {
  public:
    virtual ~PaintScene() = default;
    // Draws `view` and its subviews; the painter's origin is the top-left of
    // the view's superview content. `highlighted` draws text as on a selected row.
    virtual void paintView(QPainter& painter, const View& view, bool highlighted) = 0;
    // Draws the subviews of `view`, whose top-left is the painter's origin,
    // shifted by its bounds origin (a scroll view's offset).
    virtual void paintSubviews(QPainter& painter, const View& view, bool highlighted) = 0;
    virtual WebContentCache& webContent() = 0;
    // What the host shows over the model this frame (pressed controls, scroll
    // indicators, playing sounds).
    virtual const PaintFeedback& feedback() const { return PaintFeedback::none(); }
};

}  // namespace platform
