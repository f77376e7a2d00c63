#include "ButtonPainter.h"

#include "ControlPainter.h"
#include "Platform/UI/Button.h"

namespace platform {

void ButtonPainter::paintContent(QPainter& painter, const View& view, const QRectF& bounds,
                                 PaintScene&, bool) const {
    if (const auto* button = dynamic_cast<const Button*>(&view)) {
        ControlPainter::drawButton(painter, *button, bounds);
    }
}

}  // namespace platform
