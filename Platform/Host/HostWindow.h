#pragma once

#include "HostDialogs.h"
#include "HostOptions.h"
#include "InputRouter.h"
#include "KeyboardFocus.h"
#include "LifecycleTracker.h"
#include "ModelPainter.h"
#include "PageTransitions.h"
#include "ShakeEffect.h"
#include "WebContentCache.h"

#include <QAction>
#include <QImage>
#include <QPointF>
#include <QTimer>
#include <QTransform>
#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class Application;
class ScrollView;

// The desktop window of the application: draws the key window's view tree
// and turns clicks, drags, the wheel and keys into model events, and window
// events into lifecycle events. The application's window commands become
// keyboard shortcuts, and local files dropped on the window go to its drop
// handler; both act through the window's dialogs.
//
// Drawing: every frame draws the whole model at the run loop's current time.
// A frame timer (about 60 Hz) runs only while something moves (an animation
// block, a page slide, a shake); an idle window has no timer at all.
//
// Lifetime: the window does not own the model; it finds the key window
// through the application at each event. It must go before the QApplication.
class HostWindow : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kFrameIntervalMs = 16;
    static constexpr double kDragThreshold = 6.0;
    static constexpr double kWheelStep = 40.0;  // points per wheel notch

    HostWindow(Application& application, HostOptions options, QWidget* parent = nullptr);
    ~HostWindow() override;

    // A click at `point` (window coordinates), exactly as a mouse click is
    // handled. Returns the accessibility name of what took it. Like the touch
    // screen the pages were made for, the window takes no taps while a page
    // slides in or out: such a click is dropped, not kept for later.
    std::optional<std::string> tapAt(QPointF point);
    // Draws the model as it stands now into a picture of the window's size.
    QImage renderFrame();

    // Starts the page shake that stands for a vibration.
    void shake();
    // One tick of the frame timer: asks for a frame, and stops the timer once
    // nothing moves, even when no frame gets drawn (a minimised window).
    void frameTick();

    // The dialogs and background work the application's commands use.
    HostDialogs& dialogs() { return m_dialogs; }
    // Opens the application anew on the bundle in `folder` in this window
    // (see reopenMainWindow), and takes its name and icon.
    bool openBundle(const std::filesystem::path& folder);

    std::uint64_t framesPainted() const { return m_framesPainted; }
    bool isFrameTimerRunning() const { return m_frameTimer.isActive(); }
    LifecycleTracker::State lifecycleState() const { return m_lifecycle.state(); }

    // The model's coordinates mapped to the widget's.
    QTransform modelToWidget() const { return {}; }
    // The key window's view tree; null before the application made one.
    std::shared_ptr<View> modelRoot() const;
    // The shown page as the keyboard and assistive technology meet it, read now.
    std::optional<PageContents> pageContents();
    KeyboardFocus& keyboardFocus() { return m_keyboard; }

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
    void keyPressEvent(QKeyEvent* event) override;
    // Tab and Shift+Tab move the focus ring inside the page (KeyboardFocus).
    bool focusNextPrevChild(bool) override { return false; }
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void drawModel(QImage& target);
    void updateFrameTimer();
    void announceFocus(const std::optional<std::string>& name);
    void afterFirstFrame();
    bool isPageSliding(View& root) const;
    void showBundleIdentity();
    void installCommands();

    Application& m_application;
    HostOptions m_options;
    WebContentCache m_web;
    PageTransitions m_transitions;
    ModelPainter m_painter;
    InputRouter m_router;
    KeyboardFocus m_keyboard;
    LifecycleTracker m_lifecycle;
    ShakeEffect m_shake;
    QTimer m_frameTimer;
    QImage m_frame;
    QImage m_previousFrame;
    std::uint64_t m_framesPainted = 0;
    // Whether the last tap handed a URL to another program.
    bool m_lastTapOpenedURL = false;

    // The press being followed: a tap until it moves past the drag threshold.
    struct Press {
        QPointF start;
        QPointF last;
        bool dragging = false;
        std::weak_ptr<ScrollView> scrollView;
        bool secondOfDoubleClick = false;
    };
    std::optional<Press> m_press;

    // Declared last: dialogs and their work go first, while the window still stands.
    std::vector<std::unique_ptr<QAction>> m_commandActions;
    HostDialogs m_dialogs;
};

}  // namespace platform
