#include "HostWindow.h"

#include "PageWindowTitle.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Host/Access/AccessibleWindow.h"
#include "Platform/Host/Input/KeyTranslation.h"
#include "Platform/Host/Input/TextInputRouter.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/ApplicationHost.h"
#include "Platform/UI/ScrollView.h"
#include "Platform/UI/Window.h"
#include "Platform/UI/WindowCommands.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QWheelEvent>
#include <QWindowStateChangeEvent>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string_view>

namespace platform {
namespace {

constexpr int kDefaultWidth = 320;
constexpr int kDefaultHeight = 480;
// The Info.plist key of the window's accessible description.
constexpr std::string_view kAccessibleDescriptionKey = "SBWindowAccessibleDescription";

double now() {
    return RunLoop::main().now();
}

// The first of `keys` that the main bundle's Info.plist gives as a text that is not empty.
std::optional<std::string> infoText(std::initializer_list<std::string_view> keys) {
    auto bundle = Bundle::mainBundle();
    if (!bundle) return std::nullopt;
    for (auto key : keys) {
        if (auto text = bundle->stringForInfoKey(key); text && !text->empty()) return text;
    }
    return std::nullopt;
}

// The window's title and accessible name: the bundle's display name, else its
// name, else the program's.
QString displayName() {
    if (auto name = infoText({"CFBundleDisplayName", "CFBundleName"})) {
        return QString::fromStdString(*name);
    }
    return QCoreApplication::applicationName();
}

// What assistive technology reads about the window as a whole (how to use it).
QString windowDescription() {
    auto description = infoText({kAccessibleDescriptionKey});
    return description ? QString::fromStdString(*description) : QString();
}

// The application's own icon, also while a board is open: a board's pictures
// are its pages', not the program's face.
QIcon applicationIcon() {
    std::shared_ptr<const Bundle> bundle = Bundle::mainBundle();
    if (bundle && bundle->applicationBundle()) bundle = bundle->applicationBundle();
    if (!bundle) return {};
    auto file = bundle->stringForInfoKey("CFBundleIconFile");
    if (!file || file->empty()) return {};
    if (auto path = bundle->pathForResource(*file, "")) {
        return QIcon(QString::fromStdString(*path));
    }
    return {};
}

// The local files and folders among dropped URLs.
std::vector<std::filesystem::path> localPaths(const QMimeData* data) {
    std::vector<std::filesystem::path> paths;
    if (data == nullptr || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) paths.emplace_back(url.toLocalFile().toStdString());
    }
    return paths;
}

std::optional<InputRouter::Key> routedKey(WindowKey key) {
    switch (key) {
        case WindowKey::kUp:
            return InputRouter::Key::kUp;
        case WindowKey::kDown:
            return InputRouter::Key::kDown;
        case WindowKey::kEnter:
            return InputRouter::Key::kOpen;
        case WindowKey::kEscape:
        case WindowKey::kBackspace:
            return InputRouter::Key::kBack;
        default:
            return std::nullopt;
    }
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
    restoreFrame();
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
    setWindowTitle(pageWindowTitle(m_application, displayName()));
    setWindowIcon(applicationIcon());
    setAccessibleName(displayName());
    setAccessibleDescription(windowDescription());
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

void HostWindow::restoreFrame() {
    const auto& recall = WindowCommands::applicationCommands().frameRecall();
    const std::optional<WindowFrame> saved = recall ? recall() : std::nullopt;
    if (!saved) return;
    const bool resizable = minimumSize() != maximumSize();
    const QSize size = resizable && saved->width > 0 && saved->height > 0
                           ? QSize(saved->width, saved->height).expandedTo(minimumSize())
                           : this->size();
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
    if (resizable) resize(size);
    move(x, y);
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
    m_press.reset();
    m_feedback.press().end();
    m_settingsWatcher.watchStandardSettings();
    m_web.purge();
    showBundleIdentity();
    update();
    return true;
}

void HostWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (WindowCommands::applicationCommands().dropHandler() &&
        !localPaths(event->mimeData()).empty()) {
        event->acceptProposedAction();
    }
}

void HostWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!localPaths(event->mimeData()).empty()) event->acceptProposedAction();
}

void HostWindow::dropEvent(QDropEvent* event) {
    const auto& handler = WindowCommands::applicationCommands().dropHandler();
    auto paths = localPaths(event->mimeData());
    if (!handler || paths.empty()) return;
    event->acceptProposedAction();
    handler(m_dialogs, std::move(paths));
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
    if (const QString title = pageWindowTitle(m_application, displayName());
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

bool HostWindow::isPageSliding(View& root) const {
    const double instant = now();
    const NavigationSites sites(root);
    return std::any_of(sites.all().begin(), sites.all().end(), [instant](const auto& site) {
        return PageTransitions::isSliding(*site.controller, instant);
    });
}

std::optional<std::string> HostWindow::tapAt(QPointF point) {
    m_lastTapOpenedURL = false;
    auto root = m_application.keyWindowPointer();
    if (!root || isPageSliding(*root)) return std::nullopt;
    const auto modelPoint = canvasScale().toModel(point);
    if (!modelPoint) return std::nullopt;
    const auto requestsBefore = m_application.openURLRequestCount();
    const auto failuresBefore = m_application.openURLFailureCount();
    auto taken = m_router.tap(*root, *modelPoint);
    m_lastTapOpenedURL = m_application.openURLRequestCount() != requestsBefore;
    // The log has the address; the user, who saw nothing happen, hears why.
    if (m_application.openURLFailureCount() != failuresBefore) {
        m_dialogs.tell("No Web Browser",
                       "The link could not be opened: no web browser is set up on this "
                       "computer.");
    }
    announceFocus(taken);
    update();
    // A tap often starts an animation; the timer must run before the next paint.
    updateFrameTimer();
    return taken;
}

void HostWindow::announceFocus(const std::optional<std::string>&) {
    // Assistive technology reads the page's own nodes (AccessibleWindow) and
    // hears the selected row; the window keeps the application's name.
    m_keyboard.afterRoutedInput();
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
            const KeyPress press = translatedKey(*keyEvent);
            for (const KeyClaimant& claimant : keyClaimants()) {
                if (claimant.beforeShortcut != nullptr && (this->*claimant.beforeShortcut)(press)) {
                    event->accept();
                    return true;
                }
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
    if (event->button() != Qt::LeftButton) return;
    auto root = m_application.keyWindowPointer();
    m_press = Press{event->position(), event->position(), false, {}, false};
    const auto modelPoint = canvasScale().toModel(event->position());
    if (root && modelPoint) m_press->scrollView = m_router.scrollViewAt(*root, *modelPoint);
    if (!root) return;
    // The held control is looked up in canvas points; a press on the margin holds nothing.
    m_feedback.press().begin(*root, canvasScale().widgetToModel().map(event->position()),
                             modelPoint.has_value() && !isPageSliding(*root));
    if (m_feedback.press().isHolding()) update();
}

void HostWindow::followPress(QPointF position) {
    auto root = m_application.keyWindowPointer();
    if (!root || !m_press) return;
    const bool wasHolding = m_feedback.press().isHolding();
    m_feedback.press().move(*root, canvasScale().widgetToModel().map(position), m_press->dragging);
    if (wasHolding != m_feedback.press().isHolding()) update();
}

void HostWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!m_press) return;
    const QPointF position = event->position();
    if (!m_press->dragging) {
        const QPointF moved = position - m_press->start;
        m_press->dragging = std::hypot(moved.x(), moved.y()) >= kDragThreshold;
    }
    followPress(position);
    if (!m_press->dragging) return;
    // Content follows the pointer: dragging down shows what is above. The
    // threshold is the hand's distance on screen; the scroll is in canvas points.
    const QPointF delta = (position - m_press->last) / canvasScale().scale();
    m_press->last = position;
    if (auto scrollView = m_press->scrollView.lock()) {
        scrollView->scrollBy(-delta.x(), -delta.y());
        update();
    }
}

void HostWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    // Qt delivers the second press of a double-click as a press and then as this
    // event; a platform that sends only this event still starts the press here.
    if (event->button() != Qt::LeftButton) return;
    if (!m_press) mousePressEvent(event);
    if (m_press) m_press->secondOfDoubleClick = true;
}

void HostWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_press) return;
    const Press press = *m_press;
    m_press.reset();
    m_feedback.press().end();
    update();
    if (press.dragging) {
        m_lastTapOpenedURL = false;
        return;
    }
    // On the phone a tap that opens a URL leaves the application, so the second
    // tap of a double tap never lands: the second click of a double-click does
    // not hand the link to the desktop again (one activation per click).
    if (press.secondOfDoubleClick && m_lastTapOpenedURL) {
        m_lastTapOpenedURL = false;
        return;
    }
    tapAt(event->position());
}

void HostWindow::wheelEvent(QWheelEvent* event) {
    auto root = m_application.keyWindowPointer();
    if (!root) return;
    const CanvasScale placement = canvasScale();
    const auto modelPoint = placement.toModel(event->position());
    auto scrollView = modelPoint ? m_router.scrollViewAt(*root, *modelPoint) : nullptr;
    if (!scrollView) return;
    // A touchpad's pixels follow the fingers on screen; a notch moves the
    // same content at every scale.
    QPointF delta = QPointF(event->pixelDelta()) / placement.scale();
    if (delta.isNull()) delta = QPointF(event->angleDelta()) / 120.0 * kWheelStep;
    // The wheel turned away from the user (positive) shows what is above.
    scrollView->scrollBy(-delta.x(), -delta.y());
    event->accept();
    update();
}

std::span<const HostWindow::KeyClaimant> HostWindow::keyClaimants() {
    // In order: the first that takes a key has it. The text field's edits and
    // the focused control's Space and Enter come before a window shortcut of
    // the same key; the commands come last, through their shortcuts.
    static constexpr std::array<KeyClaimant, 5> kClaimants{{
        {&HostWindow::textFieldWantsKey, &HostWindow::typeIntoTextField},
        {nullptr, &HostWindow::openContextMenuByKey},
        {&HostWindow::focusRingWantsKey, &HostWindow::moveFocusByKey},
        {nullptr, &HostWindow::performDefaultActionByKey},
        {nullptr, &HostWindow::routePageKey},
    }};
    return kClaimants;
}

bool HostWindow::textFieldWantsKey(const KeyPress& press) {
    auto root = m_application.keyWindowPointer();
    return root && TextInputRouter::wantsKey(*root, press);
}

bool HostWindow::typeIntoTextField(const KeyPress& press) {
    auto root = m_application.keyWindowPointer();
    if (!root || !TextInputRouter::keyPress(*root, press)) return false;
    update();
    return true;
}

bool HostWindow::openContextMenuByKey(const KeyPress& press) {
    return m_contextMenus.keyPressed(press);
}

bool HostWindow::focusRingWantsKey(const KeyPress& press) {
    // Space or Enter on the control the focus ring shows is that control's
    // click, not the page-wide shortcut of the same key (Play).
    return press.unmodified && m_keyboard.takesActivationKey(press);
}

bool HostWindow::moveFocusByKey(const KeyPress& press) {
    return m_keyboard.keyPressed(press);
}

bool HostWindow::performDefaultActionByKey(const KeyPress& press) {
    // Space is the page's default action, sent as every command is.
    if (press.key != WindowKey::kSpace || !press.unmodified ||
        !m_application.sendCommand(commands::kDefaultAction)) {
        return false;
    }
    announceFocus(std::nullopt);
    update();
    updateFrameTimer();
    return true;
}

bool HostWindow::routePageKey(const KeyPress& press) {
    const auto key = routedKey(press.key);
    auto root = m_application.keyWindowPointer();
    if (!key || !root) return false;
    announceFocus(m_router.key(*root, *key));
    update();
    updateFrameTimer();
    return true;
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
    const KeyPress press = translatedKey(*event);
    for (const KeyClaimant& claimant : keyClaimants()) {
        if ((this->*claimant.take)(press)) {
            event->accept();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

}  // namespace platform
