#include "ViewPainter.h"

#include "ControlPainter.h"
#include "Platform/UI/View.h"

namespace platform {

void ViewPainter::paint(QPainter& painter, const View& view, const QRectF& bounds,
                        PaintScene& scene, bool highlighted) const {
    paintOwnContent(painter, view, bounds, scene, highlighted);
    if (view.clipsToBounds() || alwaysClips()) painter.setClipRect(bounds, Qt::IntersectClip);
    scene.paintSubviews(painter, view, highlighted);
}

void ViewPainter::paintOwnContent(QPainter& painter, const View& view, const QRectF& bounds,
                                  PaintScene& scene, bool highlighted) const {
    if (const auto& background = view.backgroundColor(); background && background->alpha > 0) {
        painter.fillRect(bounds, ControlPainter::toQColor(*background));
    }
    paintContent(painter, view, bounds, scene, highlighted);
}

void ViewPainter::paintContent(QPainter&, const View&, const QRectF&, PaintScene&, bool) const {}

}  // namespace platform
