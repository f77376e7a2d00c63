#include "ButtonPainter.h"

#include "ControlPainter.h"
#include "FeedbackPainter.h"
#include "Platform/UI/Button.h"

namespace platform {

void ButtonPainter::paintContent(QPainter& painter, const View& view, const QRectF& bounds,
                                 PaintScene& scene, bool) const {
    const auto* button = dynamic_cast<const Button*>(&view);
    if (button == nullptr) return;
    const PaintFeedback& feedback = scene.feedback();
    if (feedback.isPressed(*button)) {
        FeedbackPainter::drawPressed(painter, bounds, [&](QPainter& layer) {
            ControlPainter::drawButton(layer, *button, bounds);
        });
    } else {
        ControlPainter::drawButton(painter, *button, bounds);
    }
    if (const auto progress = feedback.playbackProgress(*button)) {
        FeedbackPainter::drawPlaybackRing(painter, bounds, *progress);
    }
}

}  // namespace platform
