#include "SavedFrame.h"

#include "Platform/UI/WindowCommands.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

#include <algorithm>
#include <optional>

namespace platform {

void SavedFrame::restore(QWidget& window) {
    const auto& recall = WindowCommands::applicationCommands().frameRecall();
    const std::optional<WindowFrame> saved = recall ? recall() : std::nullopt;
    if (!saved) return;
    const bool resizable = window.minimumSize() != window.maximumSize();
    const QSize size = resizable && saved->width > 0 && saved->height > 0
                           ? QSize(saved->width, saved->height).expandedTo(window.minimumSize())
                           : window.size();
    const QRect wanted(QPoint(saved->x, saved->y), size);
    // Kept on a screen that is there now: the one under its centre, else the primary.
    QScreen* screen = QGuiApplication::screenAt(wanted.center());
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect visible = screen->availableGeometry();
    const int x =
        std::max(visible.left(), std::min(wanted.left(), visible.right() + 1 - size.width()));
    const int y =
        std::max(visible.top(), std::min(wanted.top(), visible.bottom() + 1 - size.height()));
    if (resizable) window.resize(size);
    window.move(x, y);
}

}  // namespace platform
