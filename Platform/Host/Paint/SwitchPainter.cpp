#include "SwitchPainter.h"

#include "ControlPainter.h"
#include "Platform/UI/Switch.h"

namespace platform {

void SwitchPainter::paintContent(QPainter& painter, const View& view, const QRectF& bounds,
                                 PaintScene&, bool) const {
    if (const auto* control = dynamic_cast<const Switch*>(&view)) {
        ControlPainter::drawSwitch(painter, *control, bounds);
    }
}

}  // namespace platform
