#include "ScrollViewPainter.h"

#include "FeedbackPainter.h"
#include "Platform/UI/ScrollView.h"

namespace platform {

void ScrollViewPainter::paint(QPainter& painter, const View& view, const QRectF& bounds,
                              PaintScene& scene, bool highlighted) const {
    ViewPainter::paint(painter, view, bounds, scene, highlighted);
    if (const auto* scrollView = dynamic_cast<const ScrollView*>(&view)) {
        FeedbackPainter::drawScrollIndicators(painter, *scrollView, bounds,
                                              scene.feedback().scrollIndicatorOpacity(*scrollView));
    }
}

}  // namespace platform
