#pragma once

#include "CanvasScale.h"
#include "HostOptions.h"
#include "Platform/Host/Dialogs/ContextMenus.h"
#include "Platform/Host/Dialogs/HostDialogs.h"
#include "Platform/Host/Dialogs/MenuBarBuilder.h"
#include "Platform/Host/Input/InputRouter.h"
#include "Platform/Host/Input/InteractionFeedback.h"
#include "Platform/Host/Input/KeyClaimants.h"
#include "Platform/Host/Input/KeyboardFocus.h"
#include "Platform/Host/Input/WindowPointerSurface.h"
#include "Platform/Host/Paint/ModelPainter.h"
#include "Platform/Host/Paint/PageTransitions.h"
#include "Platform/Host/Paint/WebContentCache.h"
#include "Platform/UI/KeyPress.h"
#include "Platform/UI/LifecycleTracker.h"
#include "Platform/UI/PointerGesture.h"
#include "Platform/UI/ShakeEffect.h"
#include "SettingsFileWatcher.h"
#include "SettingsWriteNotice.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QImage>
#include <QMenuBar>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QTimer>
#include <QTransform>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class Application;

// The desktop window of the application: draws the key window's view tree
// and turns clicks, drags, the wheel and keys into model events, and window
// events into lifecycle events. The application's window commands become a
// menu bar at the top (with their keyboard shortcuts), and local files dropped
// on the window go to its drop handler; both act through the window's dialogs.
// The pages are drawn below the menu bar.
//
// Drawing: every frame draws the whole model at the run loop's current time.
// A frame timer (about 60 Hz) runs only while something moves (an animation
// block, a page slide, a shake, a playing sound's ring, scroll indicators
// fading); an idle window has no timer at all. Over the model the window shows
// the control held under the mouse (InteractionFeedback), and it reloads the
// settings when another copy of the program writes them (SettingsFileWatcher).
//
// Scale: the pages are laid out for one canvas size (the key window's frame,
// 320 x 480 points). The window may have any size; the canvas is drawn
// uniformly scaled and centred below the menu bar, whole at any size, the
// margin in the navigation bar's colour, and input maps back through the same
// scale. The zoom, the size the user gave the window and the room on the
// screen decide the window's size and the scale together (WindowPlacement):
// a zoom never shrinks a window below the user's size nor grows it past the
// screen, and a maximised or full-screen window keeps its size. Frames are
// drawn at the device's resolution (scale times device pixel ratio), so text, shapes and
// pictures stay sharp; never a stretched picture of a smaller frame.
//
// Lifetime: the window does not own the model; it finds the key window
// through the application at each event. It must go before the QApplication.
class HostWindow : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kFrameIntervalMs = 16;

    HostWindow(Application& application, HostOptions options, QWidget* parent = nullptr);
    ~HostWindow() override;

    // A click at `point` (widget coordinates), exactly as a mouse click is
    // handled (PointerGesture, WindowPointerSurface); a click on the margin around the canvas
    // does nothing. Returns the accessibility name of what took it.
    std::optional<std::string> tapAt(QPointF point);
    // Draws the model as it stands now: the canvas alone (no menu bar, no
    // margin), at `scale` pixels per canvas point.
    QImage renderFrame(double scale = 1.0);

    // The height of the menu bar above the canvas area (0 without one).
    int menuBarHeight() const;
    // The part of the window the canvas is shown in: all of it below the menu bar.
    QRectF canvasArea() const;
    // Where the canvas is now and how large.
    CanvasScale canvasScale() const;
    // Canvas (model) points to widget coordinates; invert it for input.
    QTransform modelToWidget() const { return canvasScale().modelToWidget(); }
    // The scale the canvas is shown at now.
    double zoom() const;
    // Shows the canvas at `zoom` (clamped to CanvasScale's range): a normal
    // window takes the size that holds it; a maximised one keeps its size.
    void setZoom(double zoom);
    // The window's size at the default zoom of its screen (see CanvasScale::defaultZoom).
    QSize sizeHint() const override;

    // Starts the page shake that stands for a vibration.
    void shake();
    // One tick of the frame timer: asks for a frame, and stops the timer once
    // nothing moves, even when no frame gets drawn (a minimised window).
    void frameTick();
    // Starts the frame timer when something moves now (input often starts an
    // animation), and stops it once nothing does.
    void updateFrameTimer();

    // The dialogs and background work the application's commands use.
    HostDialogs& dialogs() { return m_dialogs; }
    // Opens the application anew on the bundle in `folder` in this window
    // (see reopenMainWindow), and takes its name and icon.
    bool openBundle(const std::filesystem::path& folder);

    QMenuBar& menuBar() { return *m_menuBar; }
    // The menus and actions built from the application's commands.
    MenuBarBuilder& menus() { return *m_menus; }
    std::uint64_t framesPainted() const { return m_framesPainted; }
    bool isFrameTimerRunning() const { return m_frameTimer.isActive(); }
    LifecycleTracker::State lifecycleState() const { return m_lifecycle.state(); }
    // Reloads the settings when another copy of the program changes them.
    const SettingsFileWatcher& settingsWatcher() const { return m_settingsWatcher; }

    // The key window's view tree; null before the application made one.
    std::shared_ptr<View> modelRoot() const;
    // The shown page as the keyboard and assistive technology meet it, read now.
    std::optional<PageContents> pageContents();
    KeyboardFocus& keyboardFocus() { return m_keyboard; }
    ContextMenus& contextMenus() { return m_contextMenus; }

  signals:
    void firstFrameDrawn();

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    // Tab and Shift+Tab move the focus ring inside the page (KeyboardFocus).
    bool focusNextPrevChild(bool) override { return false; }
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void drawModel(QImage& target, double pixelsPerPoint);
    bool isMaximisedOrFullScreen() const;
    // The largest size the window may take on its screen (empty: no screen).
    QSize roomOnScreen() const;
    void afterFirstFrame();
    void showBundleIdentity();
    void installMenuBar();
    void keepFrame();

    Application& m_application;
    HostOptions m_options;
    WebContentCache m_web;
    PageTransitions m_transitions;
    InteractionFeedback m_feedback;
    ModelPainter m_painter;
    InputRouter m_router;
    KeyboardFocus m_keyboard;
    LifecycleTracker m_lifecycle;
    ShakeEffect m_shake;
    QTimer m_frameTimer;
    QImage m_frame;
    QImage m_previousFrame;
    // The page canvas in points, and how the zoom, the user's size and the
    // screen decide the window's size and the canvas's scale.
    QSizeF m_canvasSize;
    WindowPlacement m_placement;
    std::uint64_t m_framesPainted = 0;
    SettingsFileWatcher m_settingsWatcher;

    bool m_frameKept = false;

    // Declared last: dialogs and their work go first, while the window still
    // stands; the menus go before the bar they were built in.
    std::unique_ptr<QMenuBar> m_menuBar;
    std::unique_ptr<QVBoxLayout> m_layout;
    HostDialogs m_dialogs;
    ContextMenus m_contextMenus;
    SettingsWriteNotice m_settingsNotice{m_dialogs};
    std::unique_ptr<MenuBarBuilder> m_menus;
    // The mouse and the keys, which reach all of the above.
    WindowPointerSurface m_pointerSurface{*this, m_application, m_router, m_feedback};
    PointerGesture m_gesture{m_pointerSurface};
    KeyClaimants m_keys{*this, m_application, m_router, m_keyboard, m_contextMenus};
};

}  // namespace platform
