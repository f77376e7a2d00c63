#pragma once

#include "Platform/Graphics/Color.h"
#include "Platform/Graphics/Image.h"

#include <QColor>
#include <QPainter>
#include <QRectF>
#include <QString>

namespace platform {

class Button;
class Switch;

// The look of the controls and glyphs the model leaves to the host: buttons,
// switches, bar buttons, the disclosure indicator and the system glyphs.
class ControlPainter {
  public:
    static QColor toQColor(const Color& color);

    // Draws `image` scaled into `target`, or centred at its own size when
    // `fitInside` is set and it is smaller than the target.
    static void drawImage(QPainter& painter, const Image& image, const QRectF& target,
                          bool fitInside = false);

    static void drawButton(QPainter& painter, const Button& button, const QRectF& bounds);
    static void drawSwitch(QPainter& painter, const Switch& control, const QRectF& bounds);

    // A bar button's bordered body; `pointed` gives it the back button's arrow
    // end, `pressed` the darker look of a button held down.
    static void drawBarButtonBody(QPainter& painter, const QRectF& rect, bool pointed,
                                  bool pressed = false);
    static void drawAddGlyph(QPainter& painter, const QRectF& rect);
    static void drawTrashGlyph(QPainter& painter, const QRectF& rect);
    static void drawInfoGlyph(QPainter& painter, const QRectF& rect);
    // The ">" chevron at the end of a table row (white on a highlighted row).
    static void drawDisclosureIndicator(QPainter& painter, const QRectF& rowRect, bool highlighted);
};

}  // namespace platform
