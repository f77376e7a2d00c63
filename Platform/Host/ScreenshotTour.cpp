#include "ScreenshotTour.h"

#include "HostWindow.h"
#include "InputRouter.h"
#include "NavigationSites.h"
#include "Platform/Foundation/Clock.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/Window.h"
#include "TemporaryUserDefaults.h"

#include <QCoreApplication>
#include <QImage>
#include <QString>

namespace platform {
namespace {

// Long enough for a page slide or the options panel to come to rest.
constexpr double kSettle = 0.5;
// Into the badge flash: it is fully shown from 0.2 s to 1.4 s after the tap.
constexpr double kMidFlash = 0.7;
constexpr double kFlashRest = 1.2;

QPointF windowPoint(const View& view, Point local) {
    const Point point = view.convertPointToAncestor(local, nullptr);
    return {point.x, point.y};
}

}  // namespace

ScreenshotTour::ScreenshotTour(HostWindow& window, Application& application)
    : m_window(window), m_application(application) {}

const std::vector<std::string>& ScreenshotTour::pictureNames() {
    static const std::vector<std::string> names{"main", "options", "play", "favourites", "info"};
    return names;
}

std::shared_ptr<View> ScreenshotTour::root() const {
    return m_application.keyWindowPointer();
}

bool ScreenshotTour::run(const std::filesystem::path& folder) {
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
    // Time moves only when the walk says so: every picture shows a chosen instant.
    m_clock = std::make_shared<ManualClock>(RunLoop::main().now());
    RunLoop::main().setClock(m_clock);
    m_window.show();
    QCoreApplication::processEvents();
    const bool walked = walk(folder);
    RunLoop::main().setClock(nullptr);
    return walked;
}

bool ScreenshotTour::walk(const std::filesystem::path& folder) {
    using Part = NavigationBarLayout::Part;
    // A visit to the favourites and back makes the main page read the
    // (temporary) settings again, so the first picture shows a fresh start.
    if (!tapBarButton(Part::kRight) || !expectDepth(2, "open the favourites")) return false;
    advance(kSettle);
    if (!tapBarButton(Part::kBack) || !expectDepth(1, "go back")) return false;
    advance(kSettle);
    if (!capture(folder, "main")) return false;

    if (!tapBarButton(Part::kLeft)) return false;
    advance(kSettle);
    if (!capture(folder, "options")) return false;
    tapBarButton(Part::kLeft);
    advance(kSettle);

    if (!tapFirstRow() || !expectDepth(2, "open a sound")) return false;
    advance(kSettle);
    if (!tapBarButton(Part::kRight)) return false;
    advance(kMidFlash);
    if (!capture(folder, "play")) return false;
    advance(kFlashRest);

    if (!tapBarButton(Part::kBack) || !expectDepth(1, "go back")) return false;
    advance(kSettle);
    if (!tapBarButton(Part::kRight) || !expectDepth(2, "open the favourites")) return false;
    advance(kSettle);
    if (!capture(folder, "favourites")) return false;

    if (!tapFirstRow() || !expectDepth(3, "open the favourite")) return false;
    advance(kSettle);
    if (!tapControl("Info") || !expectDepth(4, "open the info page")) return false;
    advance(kSettle);
    return capture(folder, "info");
}

void ScreenshotTour::advance(double seconds) {
    m_clock->advance(seconds);
    RunLoop::main().serviceDueWork();
    QCoreApplication::processEvents();
}

bool ScreenshotTour::capture(const std::filesystem::path& folder, std::string_view name) {
    const QImage picture = m_window.renderFrame();
    const auto path = folder / (std::string(name) + ".png");
    if (picture.isNull() || !picture.save(QString::fromStdString(path.string()), "PNG")) {
        Log("Screenshots: cannot write " + path.string());
        return false;
    }
    return true;
}

bool ScreenshotTour::tapBarButton(NavigationBarLayout::Part part) {
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
    m_window.tapAt(windowPoint(*site->bar, {centre.x(), centre.y()}));
    return true;
}

bool ScreenshotTour::tapFirstRow() {
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
        m_window.tapAt(windowPoint(
            *table, {row.x + row.width / 2 - offset.x, row.y + row.height / 2 - offset.y}));
        return true;
    }
    Log("Screenshots: the list has no rows");
    return false;
}

bool ScreenshotTour::tapControl(std::string_view accessibilityName) {
    auto window = root();
    View* page = window ? InputRouter::topPageView(*window) : nullptr;
    auto control = page ? page->findView(accessibilityName) : nullptr;
    if (!control) {
        Log("Screenshots: no control named " + std::string(accessibilityName));
        return false;
    }
    const Rect frame = control->presentationFrame();
    m_window.tapAt(windowPoint(*control, {frame.width / 2, frame.height / 2}));
    return true;
}

bool ScreenshotTour::expectDepth(std::size_t depth, std::string_view step) {
    if (auto window = root()) {
        const NavigationSites sites(*window);
        const NavigationSite* site = sites.outermost();
        if (site != nullptr && site->controller->viewControllers().size() == depth) return true;
    }
    Log("Screenshots: could not " + std::string(step));
    return false;
}

}  // namespace platform
