#include "HostWindow.h"

#include "BundleIdentity.h"
#include "FileDrop.h"
#include "PageWindowTitle.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Host/Access/AccessibleWindow.h"
#include "Platform/Host/Input/KeyTranslation.h"
#include "Platform/Host/Input/TextInputRouter.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/ApplicationHost.h"
#include "Platform/UI/Window.h"
#include "Platform/UI/WindowCommands.h"
#include "SavedFrame.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QWheelEvent>
#include <QWindowStateChangeEvent>

#include <cmath>
#include <cstdio>
#include <utility>

namespace platform {
namespace {

constexpr int kDefaultWidth = 320;
constexpr int kDefaultHeight = 480;

double now() {
    return RunLoop::main().now();
}

Point toPoint(QPointF point) {
    return {point.x(), point.y()};
}

Point toPoint(QPoint point) {
    return {static_cast<double>(point.x()), static_cast<double>(point.y())};
}

}  // namespace

HostWindow::HostWindow(Application& application, HostOptions options, QWidget* parent)
    : QWidget(parent),
      m_application(application),
      m_options(std::move(options)),
      m_painter(m_web, m_transitions),
      m_router(m_web),
      m_keyboard(*this, m_router, m_web),
      m_lifecycle(application),
      m_menuBar(std::make_unique<QMenuBar>(this)),
      m_layout(std::make_unique<QVBoxLayout>(this)),
      m_dialogs(*this, [this](const std::filesystem::path& folder) { return openBundle(folder); }),
      m_contextMenus(*this, m_dialogs) {
    m_contextMenus.onPerformed([this] { updateFrameTimer(); });
    // Commands sent by name from anywhere act through this window's dialogs.
    m_application.setHostServices(&m_dialogs);
    // A command by name from anywhere (a hotkey, another program) may start a
    // sound whose ring must show, or change a page: draw it now.
    m_application.setCommandPerformedHandler([this] {
        update();
        updateFrameTimer();
    });
    // Before anything asks for the window's accessible interface.
    AccessibleWindow::install();
    m_canvasSize = QSizeF(kDefaultWidth, kDefaultHeight);
    if (auto window = application.keyWindowPointer()) {
        const Rect frame = window->frame();
        if (frame.width >= 1 && frame.height >= 1) {
            m_canvasSize = QSizeF(std::round(frame.width), std::round(frame.height));
        }
    }
    installMenuBar();
    // The model lays its pages out for one screen size; the window scales it.
    setMinimumSize(CanvasScale::areaFor(m_canvasSize, CanvasScale::kMinimumZoom) +
                   QSize(0, menuBarHeight()));
    m_placement = WindowPlacement(m_canvasSize);
    const QSize start = sizeHint();
    resize(start);
    m_placement.start(start, menuBarHeight());
    showBundleIdentity();
    // The application's own settings (a zoom, the sound output) come first; a
    // window frame the user left wins over the size a zoom gave.
    if (const auto& opened = WindowCommands::applicationCommands().windowOpened()) {
        opened(m_dialogs);
    }
    SavedFrame::restore(*this);
    setFocusPolicy(Qt::StrongFocus);
    // Composed text (from an input method) reaches a page's text field.
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_frameTimer.setInterval(kFrameIntervalMs);
    m_frameTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_frameTimer, &QTimer::timeout, this, &HostWindow::frameTick);
    m_painter.setFeedback(&m_feedback);
    m_settingsWatcher.watchStandardSettings();

    setVibrationHandler([this] {
        if (QThread::currentThread() == thread()) {
            shake();
        } else {
            QMetaObject::invokeMethod(this, &HostWindow::shake, Qt::QueuedConnection);
        }
    });
}

HostWindow::~HostWindow() {
    m_application.setHostServices(nullptr);
    m_application.setCommandPerformedHandler(nullptr);
    setVibrationHandler(nullptr);
    // Quitting ends the event loop without closing the window.
    keepFrame();
    AccessibleWindow::release(*this);
}

void HostWindow::showBundleIdentity() {
    setWindowTitle(pageWindowTitle(m_application, BundleIdentity::displayName()));
    setWindowIcon(BundleIdentity::applicationIcon());
    setAccessibleName(BundleIdentity::displayName());
    setAccessibleDescription(BundleIdentity::windowDescription());
}

void HostWindow::installMenuBar() {
    const WindowCommands& commands = WindowCommands::applicationCommands();
    m_dialogs.setZoomHandlers([this] { return zoom(); }, [this](double value) { setZoom(value); });
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->setMenuBar(m_menuBar.get());
    m_menus = std::make_unique<MenuBarBuilder>(*m_menuBar, *this, commands, m_dialogs);
    m_menus->onPerformed([this] {
        update();
        // A command often starts an animation (a page push); the timer must run.
        updateFrameTimer();
    });
    // An application without menus shows no empty bar.
    if (commands.menus().empty()) m_menuBar->hide();
    setAcceptDrops(static_cast<bool>(commands.dropHandler()));
}

int HostWindow::menuBarHeight() const {
    if (!m_menuBar || m_menuBar->isNativeMenuBar() || m_menuBar->isHidden()) return 0;
    return m_menuBar->sizeHint().height();
}

void HostWindow::keepFrame() {
    const auto& keep = WindowCommands::applicationCommands().frameKeeper();
    // The screenshot tour's window is no place the user chose.
    if (m_frameKept || !keep || !m_options.screenshotDir.empty()) return;
    m_frameKept = true;
    keep(WindowFrame{pos().x(), pos().y(), width(), height()});
}

bool HostWindow::openBundle(const std::filesystem::path& folder) {
    if (!reopenMainWindow(m_application, folder)) return false;
    m_gesture.cancel();
    m_feedback.press().end();
    m_settingsWatcher.watchStandardSettings();
    m_web.purge();
    showBundleIdentity();
    update();
    return true;
}

void HostWindow::dragEnterEvent(QDragEnterEvent* event) {
    FileDrop::enter(*event);
}

void HostWindow::dragMoveEvent(QDragMoveEvent* event) {
    FileDrop::move(*event);
}

void HostWindow::dropEvent(QDropEvent* event) {
    FileDrop::drop(*event, m_dialogs);
}

void HostWindow::shake() {
    m_shake.start(now());
    update();
    updateFrameTimer();
}

void HostWindow::frameTick() {
    update();
    updateFrameTimer();
}

QImage HostWindow::renderFrame(double scale) {
    QImage picture;
    drawModel(picture, scale > 0 && std::isfinite(scale) ? scale : 1.0);
    return picture;
}

QRectF HostWindow::canvasArea() const {
    return QRectF(rect()).adjusted(0, menuBarHeight(), 0, 0);
}

bool HostWindow::isMaximisedOrFullScreen() const {
    return windowState().testAnyFlags(Qt::WindowMaximized | Qt::WindowFullScreen);
}

CanvasScale HostWindow::canvasScale() const {
    return m_placement.scaleIn(canvasArea(), size(), devicePixelRatioF());
}

double HostWindow::zoom() const {
    return canvasScale().scale();
}

void HostWindow::setZoom(double zoom) {
    const bool maximised = isMaximisedOrFullScreen();
    const QSize wanted =
        m_placement.setZoom(zoom, size(), maximised, menuBarHeight(), roomOnScreen());
    if (!maximised && wanted != size()) resize(wanted);
    update();
}

QSize HostWindow::roomOnScreen() const {
    const QScreen* display = screen();
    if (display == nullptr) return QSize();
    // The window manager's frame takes its share of the free area too.
    const QSize decoration =
        isWindow() && isVisible() ? frameGeometry().size() - size() : QSize(0, 0);
    return (display->availableGeometry().size() - decoration).expandedTo(minimumSize());
}

QSize HostWindow::sizeHint() const {
    const QScreen* display = screen();
    const double dpi = display != nullptr ? display->logicalDotsPerInch() : 0.0;
    const QSize room = roomOnScreen();
    const int bar = menuBarHeight();
    const double zoom = CanvasScale::defaultZoom(dpi, m_canvasSize, room - QSize(0, bar));
    return m_placement.sizeFor(zoom, bar, room);
}

void HostWindow::drawModel(QImage& target, double pixelsPerPoint) {
    const QSize pixels = CanvasScale::framePixels(m_canvasSize, pixelsPerPoint);
    if (target.size() != pixels || target.format() != QImage::Format_ARGB32_Premultiplied) {
        target = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    }
    // The painter draws in canvas points; the picture's ratio turns them into pixels.
    target.setDevicePixelRatio(pixelsPerPoint);
    target.fill(Qt::white);

    auto root = m_application.keyWindowPointer();
    if (!root) return;
    // Tables ask their data sources for rows the first time they are shown.
    root->layoutIfNeeded();
    const double instant = now();
    const NavigationSites sites(*root);
    for (const NavigationSite& site : sites.all()) {
        const Point origin = site.view->convertPointToAncestor({0, 0}, nullptr);
        const Rect frame = site.view->presentationFrame();
        const double bar = NavigationController::kNavigationBarHeight;
        m_transitions.observe(*site.controller, m_previousFrame,
                              QRectF(origin.x, origin.y + bar, frame.width, frame.height - bar),
                              instant);
    }
    m_feedback.beginFrame(*root, instant);
    QPainter painter(&target);
    // A painter takes a picture's ratio only from 1 up: a canvas shown smaller
    // than its own size (a short window) is scaled here, or it would be cut.
    if (pixelsPerPoint < 1.0) painter.scale(pixelsPerPoint, pixelsPerPoint);
    painter.setRenderHint(QPainter::TextAntialiasing);
    m_painter.paint(painter, *root, sites, instant, m_shake.offsetAt(instant));
    m_keyboard.paintRing(painter, *root);
}

void HostWindow::paintEvent(QPaintEvent*) {
    const double ratio = devicePixelRatioF();
    const CanvasScale placement = canvasScale();
    drawModel(m_frame, placement.scale() * ratio);
    {
        QPainter painter(this);
        painter.fillRect(canvasArea(), ModelPainter::marginColour());
        // One frame pixel to one device pixel: the frame is already at the screen's resolution.
        const QSizeF logical = QSizeF(m_frame.size()) / ratio;
        painter.drawImage(QRectF(placement.canvasRect().topLeft(), logical), m_frame,
                          QRectF(m_frame.rect()));
    }
    // The page on top names itself in the title bar once it shows.
    if (const QString title = pageWindowTitle(m_application, BundleIdentity::displayName());
        title != windowTitle()) {
        setWindowTitle(title);
    }
    // The frame just shown is the picture the next page slide starts from.
    std::swap(m_frame, m_previousFrame);
    ++m_framesPainted;
    updateFrameTimer();
    m_application.contentShown();
    if (m_framesPainted == 1) afterFirstFrame();
}

void HostWindow::afterFirstFrame() {
    emit firstFrameDrawn();
    if (!m_options.reportFirstFrame) return;
    std::fputs(HostOptions::kFirstFrameLine, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    if (m_options.quitAfterFirstFrame) {
        // Not from inside the paint: the termination runs as the next event.
        QTimer::singleShot(0, this, [this] { m_application.terminate(0); });
    }
}

void HostWindow::updateFrameTimer() {
    const double instant = now();
    const bool moving = View::animationsEndTime() > instant || m_transitions.isRunning(instant) ||
                        m_shake.isRunning(instant) || m_feedback.needsFrames(instant);
    if (moving && !m_frameTimer.isActive()) {
        m_frameTimer.start();
    } else if (!moving && m_frameTimer.isActive()) {
        m_frameTimer.stop();
    }
}

std::optional<std::string> HostWindow::tapAt(QPointF point) {
    return m_gesture.tap(toPoint(point));
}

std::shared_ptr<View> HostWindow::modelRoot() const {
    return m_application.keyWindowPointer();
}

std::optional<PageContents> HostWindow::pageContents() {
    std::optional<PageContents> contents;
    if (auto root = modelRoot()) contents.emplace(*root, m_web);
    return contents;
}

bool HostWindow::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::WindowActivate:
            m_lifecycle.windowActivated();
            break;
        case QEvent::WindowDeactivate:
            m_lifecycle.windowDeactivated();
            break;
        case QEvent::ShortcutOverride: {
            auto* keyEvent = static_cast<QKeyEvent*>(event);
            if (m_keys.claimsBeforeShortcut(translatedKey(*keyEvent))) {
                event->accept();
                return true;
            }
            // The commands have it: the shortcut about to be taken asks first
            // whether its command can run now (Play only on a play page). Only
            // the commands of this key are asked, and only when no claimant
            // above took it, so typing asks no command anything.
            if (m_menus) m_menus->refreshShortcut(keyEvent->keyCombination());
            break;
        }
        default:
            break;
    }
    return QWidget::event(event);
}

void HostWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        const bool minimized = windowState().testFlag(Qt::WindowMinimized);
        if (minimized) {
            m_lifecycle.windowMinimized();
        } else if (change->oldState().testFlag(Qt::WindowMinimized)) {
            m_lifecycle.windowRestored();
            // Some platforms keep the focus on a minimised window and send no
            // new activation when it comes back.
            if (isActiveWindow()) m_lifecycle.windowActivated();
        }
    }
    QWidget::changeEvent(event);
}

void HostWindow::closeEvent(QCloseEvent* event) {
    keepFrame();
    // The application decides when the process ends: terminate tells the
    // delegate and stops the run loop, and the run loop bridge ends Qt's loop.
    m_application.terminate(0);
    event->accept();
}

void HostWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_gesture.press(toPoint(event->position()));
}

void HostWindow::mouseMoveEvent(QMouseEvent* event) {
    m_gesture.move(toPoint(event->position()));
}

void HostWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_gesture.doubleClick(toPoint(event->position()));
}

void HostWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_gesture.release(toPoint(event->position()));
}

void HostWindow::wheelEvent(QWheelEvent* event) {
    if (m_gesture.wheel(toPoint(event->position()), toPoint(event->pixelDelta()),
                        toPoint(event->angleDelta()))) {
        event->accept();
    }
}

void HostWindow::inputMethodEvent(QInputMethodEvent* event) {
    auto root = m_application.keyWindowPointer();
    if (root && TextInputRouter::inputMethod(*root, *event)) update();
    event->accept();
}

void HostWindow::contextMenuEvent(QContextMenuEvent* event) {
    // The keyboard's own context menu event is taken as its key (keyPressEvent).
    if (event->reason() == QContextMenuEvent::Mouse && m_contextMenus.openAt(event->pos())) {
        event->accept();
    }
}

void HostWindow::keyPressEvent(QKeyEvent* event) {
    if (m_keys.take(translatedKey(*event))) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace platform
