#include "ScreenshotTourRunner.h"

#include "HostWindow.h"
#include "Platform/Foundation/Clock.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Host/Input/InputRouter.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/NavigationSites.h"
#include "Platform/UI/ScreenshotTour.h"
#include "Platform/UI/Window.h"
#include "Platform/UI/WindowCommands.h"
#include "TemporaryUserDefaults.h"

#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QString>

namespace platform {
namespace {

// Where a point of `view` is in the window: taps take widget coordinates.
QPointF windowPoint(const HostWindow& window, const View& view, Point local) {
    const Point point = view.convertPointToAncestor(local, nullptr);
    return window.modelToWidget().map(QPointF(point.x, point.y));
}

}  // namespace

ScreenshotTourRunner::ScreenshotTourRunner(HostWindow& window, Application& application)
    : m_window(window), m_application(application) {}

std::shared_ptr<View> ScreenshotTourRunner::root() const {
    return m_application.keyWindowPointer();
}

bool ScreenshotTourRunner::run(const ScreenshotTour& tour, const std::filesystem::path& folder) {
    if (tour.pictureNames().empty()) {
        Log("Screenshots: the application describes no pictures to take");
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        Log("Screenshots: cannot make the folder " + folder.string() + ": " + error.message());
        return false;
    }
    TemporaryUserDefaults defaults;
    if (!defaults.isActive()) {
        Log("Screenshots: no temporary folder for the settings; nothing was written");
        return false;
    }
    // Time moves only when the tour says so: every picture shows a chosen instant.
    m_clock = std::make_shared<ManualClock>(RunLoop::main().now());
    RunLoop::main().setClock(m_clock);
    m_window.show();
    QCoreApplication::processEvents();
    const bool walked = walk(tour, folder);
    RunLoop::main().setClock(nullptr);
    return walked;
}

bool ScreenshotTourRunner::walk(const ScreenshotTour& tour, const std::filesystem::path& folder) {
    for (const ScreenshotStep& step : tour.steps()) {
        if (!perform(step, folder)) return false;
    }
    return true;
}

bool ScreenshotTourRunner::perform(const ScreenshotStep& step,
                                   const std::filesystem::path& folder) {
    using Kind = ScreenshotStep::Kind;
    using Part = NavigationBarLayout::Part;
    switch (step.kind) {
        case Kind::kTapBarButton:
            switch (step.barButton) {
                case ScreenshotStep::BarButton::kBack:
                    return tapBarButton(Part::kBack);
                case ScreenshotStep::BarButton::kLeft:
                    return tapBarButton(Part::kLeft);
                case ScreenshotStep::BarButton::kRight:
                    return tapBarButton(Part::kRight);
            }
            return false;
        case Kind::kTapFirstRow:
            return tapFirstRow();
        case Kind::kTapControl:
            return tapControl(step.name);
        case Kind::kExpectDepth:
            return expectDepth(step.depth, step.name);
        case Kind::kWait:
            advance(step.seconds);
            return true;
        case Kind::kCapture:
            return capture(folder, step.name, step.scale);
        case Kind::kRunCommand:
            return runCommand(step.name);
        case Kind::kType:
            type(step.name);
            return true;
    }
    return false;
}

void ScreenshotTourRunner::advance(double seconds) {
    m_clock->advance(seconds);
    RunLoop::main().serviceDueWork();
    QCoreApplication::processEvents();
}

bool ScreenshotTourRunner::capture(const std::filesystem::path& folder, std::string_view name,
                                   double scale) {
    QImage picture = m_window.renderFrame(scale);
    // Written at its pixel size; the ratio would only add a density note to the file.
    picture.setDevicePixelRatio(1.0);
    const auto path = folder / (std::string(name) + ".png");
    if (picture.isNull() || !picture.save(QString::fromStdString(path.string()), "PNG")) {
        Log("Screenshots: cannot write " + path.string());
        return false;
    }
    return true;
}

bool ScreenshotTourRunner::tapBarButton(NavigationBarLayout::Part part) {
    auto window = root();
    if (!window) return false;
    const NavigationSites sites(*window);
    const NavigationSite* site = sites.outermost();
    if (site == nullptr || site->bar == nullptr) return false;
    const Rect frame = site->bar->presentationFrame();
    const NavigationBarLayout layout(site->controller->navigationBarState(), frame.width);
    std::optional<QRectF> button;
    if (part == NavigationBarLayout::Part::kBack) button = layout.back();
    if (part == NavigationBarLayout::Part::kLeft) button = layout.left();
    if (part == NavigationBarLayout::Part::kRight) button = layout.right();
    if (!button) {
        Log("Screenshots: the navigation bar has no such button");
        return false;
    }
    const QPointF centre = button->center();
    m_window.tapAt(windowPoint(m_window, *site->bar, {centre.x(), centre.y()}));
    return true;
}

bool ScreenshotTourRunner::tapFirstRow() {
    auto window = root();
    View* page = window ? InputRouter::topPageView(*window) : nullptr;
    auto table = page ? InputRouter::firstTable(*page) : nullptr;
    if (!table) return false;
    table->layoutIfNeeded();
    for (int section = 0; section < table->numberOfSections(); ++section) {
        if (table->numberOfRowsInSection(section) == 0) continue;
        const IndexPath first{section, 0};
        table->scrollToRowAtIndexPath(first);
        const Rect row = table->rectForRowAtIndexPath(first);
        const Point offset = table->contentOffset();
        m_window.tapAt(
            windowPoint(m_window, *table,
                        {row.x + row.width / 2 - offset.x, row.y + row.height / 2 - offset.y}));
        return true;
    }
    Log("Screenshots: the list has no rows");
    return false;
}

bool ScreenshotTourRunner::tapControl(std::string_view accessibilityName) {
    auto window = root();
    View* page = window ? InputRouter::topPageView(*window) : nullptr;
    auto control = page ? page->findView(accessibilityName) : nullptr;
    if (!control) {
        Log("Screenshots: no control named " + std::string(accessibilityName));
        return false;
    }
    const Rect frame = control->presentationFrame();
    m_window.tapAt(windowPoint(m_window, *control, {frame.width / 2, frame.height / 2}));
    return true;
}

bool ScreenshotTourRunner::expectDepth(std::size_t depth, std::string_view step) {
    if (auto window = root()) {
        const NavigationSites sites(*window);
        const NavigationSite* site = sites.outermost();
        if (site != nullptr && site->controller->viewControllers().size() == depth) return true;
    }
    Log("Screenshots: could not " + std::string(step));
    return false;
}

bool ScreenshotTourRunner::runCommand(std::string_view title) {
    for (const WindowCommand& command : WindowCommands::applicationCommands().commands()) {
        if (command.title != title || !command.perform) continue;
        command.perform(m_window.dialogs());
        QCoreApplication::processEvents();
        return true;
    }
    Log("Screenshots: no command titled " + std::string(title));
    return false;
}

void ScreenshotTourRunner::type(std::string_view text) {
    const QString typed = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    for (const QChar character : typed) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
        QCoreApplication::sendEvent(&m_window, &press);
    }
    QCoreApplication::processEvents();
}

}  // namespace platform
