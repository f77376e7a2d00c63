#include "HostWindow.h"

#include "AccessibleWindow.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/ApplicationHost.h"
#include "Platform/UI/ScrollView.h"
#include "Platform/UI/Window.h"
#include "Platform/UI/WindowCommands.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>
#include <QWheelEvent>
#include <QWindowStateChangeEvent>

#include <algorithm>
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

QIcon applicationIcon() {
    auto bundle = Bundle::mainBundle();
    auto file = infoText({"CFBundleIconFile"});
    if (!bundle || !file) return {};
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

std::optional<InputRouter::Key> routedKey(int key) {
    switch (key) {
        case Qt::Key_Up:
            return InputRouter::Key::kUp;
        case Qt::Key_Down:
            return InputRouter::Key::kDown;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return InputRouter::Key::kOpen;
        case Qt::Key_Escape:
        case Qt::Key_Backspace:
            return InputRouter::Key::kBack;
        case Qt::Key_Space:
            return InputRouter::Key::kDefaultAction;
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
      m_dialogs(*this, [this](const std::filesystem::path& folder) { return openBundle(folder); }) {
    // Before anything asks for the window's accessible interface.
    AccessibleWindow::install();
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    if (auto window = application.keyWindowPointer()) {
        const Rect frame = window->frame();
        if (frame.width >= 1 && frame.height >= 1) {
            width = static_cast<int>(std::lround(frame.width));
            height = static_cast<int>(std::lround(frame.height));
        }
    }
    // The model lays its pages out for one screen size; it has no resizing rules.
    setFixedSize(width, height);
    showBundleIdentity();
    installCommands();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_frameTimer.setInterval(kFrameIntervalMs);
    m_frameTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_frameTimer, &QTimer::timeout, this, &HostWindow::frameTick);

    setVibrationHandler([this] {
        if (QThread::currentThread() == thread()) {
            shake();
        } else {
            QMetaObject::invokeMethod(this, &HostWindow::shake, Qt::QueuedConnection);
        }
    });
}

HostWindow::~HostWindow() {
    setVibrationHandler(nullptr);
    AccessibleWindow::release(*this);
}

void HostWindow::showBundleIdentity() {
    setWindowTitle(displayName());
    setWindowIcon(applicationIcon());
    setAccessibleName(displayName());
    setAccessibleDescription(windowDescription());
}

void HostWindow::installCommands() {
    const WindowCommands& commands = WindowCommands::applicationCommands();
    for (const WindowCommand& command : commands.commands()) {
        auto action = std::make_unique<QAction>(QString::fromStdString(command.title));
        action->setShortcut(QKeySequence(QString::fromStdString(command.shortcut)));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action.get(), &QAction::triggered, this, [this, perform = command.perform] {
            if (perform) perform(m_dialogs);
        });
        addAction(action.get());
        m_commandActions.push_back(std::move(action));
    }
    setAcceptDrops(static_cast<bool>(commands.dropHandler()));
}

bool HostWindow::openBundle(const std::filesystem::path& folder) {
    if (!reopenMainWindow(m_application, folder)) return false;
    m_press.reset();
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

QImage HostWindow::renderFrame() {
    QImage picture;
    drawModel(picture);
    return picture;
}

void HostWindow::drawModel(QImage& target) {
    const double scale = devicePixelRatioF();
    const QSize pixels(static_cast<int>(std::ceil(width() * scale)),
                       static_cast<int>(std::ceil(height() * scale)));
    if (target.size() != pixels || target.format() != QImage::Format_ARGB32_Premultiplied) {
        target = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    }
    target.setDevicePixelRatio(scale);
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
    QPainter painter(&target);
    painter.setRenderHint(QPainter::TextAntialiasing);
    m_painter.paint(painter, *root, sites, instant, m_shake.offsetAt(instant));
    m_keyboard.paintRing(painter, *root);
}

void HostWindow::paintEvent(QPaintEvent*) {
    drawModel(m_frame);
    {
        QPainter painter(this);
        painter.drawImage(QPointF(0, 0), m_frame);
    }
    // The frame just shown is the picture the next page slide starts from.
    std::swap(m_frame, m_previousFrame);
    ++m_framesPainted;
    updateFrameTimer();
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
                        m_shake.isRunning(instant);
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
    const auto requestsBefore = m_application.openURLRequestCount();
    auto taken = m_router.tap(*root, point);
    m_lastTapOpenedURL = m_application.openURLRequestCount() != requestsBefore;
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
    // The application decides when the process ends: terminate tells the
    // delegate and stops the run loop, and the run loop bridge ends Qt's loop.
    m_application.terminate(0);
    event->accept();
}

void HostWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    auto root = m_application.keyWindowPointer();
    m_press = Press{event->position(), event->position(), false, {}, false};
    if (root) m_press->scrollView = m_router.scrollViewAt(*root, event->position());
}

void HostWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!m_press) return;
    const QPointF position = event->position();
    if (!m_press->dragging) {
        const QPointF moved = position - m_press->start;
        if (std::hypot(moved.x(), moved.y()) < kDragThreshold) return;
        m_press->dragging = true;
    }
    // Content follows the pointer: dragging down shows what is above.
    const QPointF delta = position - m_press->last;
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
    auto scrollView = m_router.scrollViewAt(*root, event->position());
    if (!scrollView) return;
    QPointF delta = event->pixelDelta();
    if (delta.isNull()) delta = QPointF(event->angleDelta()) / 120.0 * kWheelStep;
    // The wheel turned away from the user (positive) shows what is above.
    scrollView->scrollBy(-delta.x(), -delta.y());
    event->accept();
    update();
}

void HostWindow::keyPressEvent(QKeyEvent* event) {
    if (m_keyboard.keyPressed(*event)) {
        event->accept();
        return;
    }
    const auto key = routedKey(event->key());
    auto root = m_application.keyWindowPointer();
    if (!key || !root) {
        QWidget::keyPressEvent(event);
        return;
    }
    announceFocus(m_router.key(*root, *key));
    event->accept();
    update();
    updateFrameTimer();
}

}  // namespace platform
