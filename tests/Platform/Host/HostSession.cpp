#include "HostSession.h"

#include "../../support/TestEnvironment.h"
#include "Classes/ApplicationClasses.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Host/Input/InputRouter.h"
#include "Platform/Host/Paint/HostFonts.h"
#include "Platform/UI/ApplicationHost.h"
#include "Platform/UI/NavigationSites.h"
#include "Platform/UI/Window.h"
#include "Platform/UI/WindowCommands.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

namespace hosttest {
namespace {

using platform::Application;
using platform::View;

// The shared application keeps an opener and a delegate; no test may see another's.
const bool g_resetHookInstalled = [] {
    sbtest::addResetHook([] {
        Application::resetSharedApplication();
        platform::setWindowHostFactory(nullptr);
        platform::WindowCommands::setApplicationCommands({});
    });
    return true;
}();

class SessionHost final : public platform::ApplicationHost {
  public:
    SessionHost(const std::function<void(Session&)>& body, platform::HostOptions options,
                platform::ManualClock& clock)
        : m_body(body), m_options(std::move(options)), m_clock(clock) {}

    int run(Application& application, const platform::LaunchArguments&) override {
        static char programName[] = "host_tests";
        static char* qtArguments[] = {programName, nullptr};
        int qtArgumentCount = 1;
        QApplication qtApplication(qtArgumentCount, qtArguments);
        platform::HostFonts::install();
        platform::HostWindow window(application, m_options);
        Session session{application, window, m_clock, {}, true};
        application.setURLOpener([&session](const platform::URL& url) {
            session.openedURLs.push_back(url.absoluteString());
            return session.openSucceeds;
        });
        window.show();
        QCoreApplication::processEvents();
        m_body(session);
        application.setURLOpener(nullptr);
        return 0;
    }

  private:
    const std::function<void(Session&)>& m_body;
    platform::HostOptions m_options;
    platform::ManualClock& m_clock;
};

platform::NavigationSite outermostSite(const Application& application) {
    auto root = application.keyWindowPointer();
    if (!root) return {};
    const platform::NavigationSites sites(*root);
    return sites.outermost() != nullptr ? *sites.outermost() : platform::NavigationSite{};
}

// Where a point of `view` is on screen: through the window's model to widget mapping.
QPoint toWindow(const platform::HostWindow& window, const View& view, platform::Point local) {
    const platform::Point point = view.convertPointToAncestor(local, nullptr);
    return window.modelToWidget().map(QPointF(point.x, point.y)).toPoint();
}

}  // namespace

int runSession(const std::function<void(Session&)>& body, platform::HostOptions options,
               const std::filesystem::path& bundleFolder) {
    (void)g_resetHookInstalled;
    auto clock = std::make_shared<platform::ManualClock>(100.0);
    platform::RunLoop::main().setClock(clock);
    registerApplicationClasses();
    platform::setWindowHostFactory(
        [&] { return std::make_unique<SessionHost>(body, options, *clock); });
    std::string bundle = bundleFolder.empty() ? SB_HOST_SOURCE_BUNDLE : bundleFolder.string();
    std::vector<std::string> arguments{"soundboard", "--bundle", bundle};
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int status = platform::UIApplicationMain(static_cast<int>(arguments.size()), argv.data(),
                                                   nullptr, nullptr);
    platform::setWindowHostFactory(nullptr);
    // Delayed calls still pending hold pages; they go before the next test.
    platform::RunLoop::main().reset();
    return status;
}

std::size_t Session::depth() const {
    auto site = outermostSite(application);
    return site.controller ? site.controller->viewControllers().size() : 0;
}

platform::ViewController* Session::top() const {
    auto site = outermostSite(application);
    return site.controller ? site.controller->topViewController() : nullptr;
}

platform::NavigationBarState Session::bar() const {
    auto site = outermostSite(application);
    return site.controller ? site.controller->navigationBarState() : platform::NavigationBarState{};
}

std::shared_ptr<platform::TableView> Session::table() const {
    auto root = application.keyWindowPointer();
    View* page = root ? platform::InputRouter::topPageView(*root) : nullptr;
    return page ? platform::InputRouter::firstTable(*page) : nullptr;
}

QPoint Session::rowPoint(platform::IndexPath indexPath) const {
    auto list = table();
    if (!list) {
        ADD_FAILURE() << "the top page has no table";
        return {};
    }
    list->layoutIfNeeded();
    const platform::Rect row = list->rectForRowAtIndexPath(indexPath);
    const platform::Point offset = list->contentOffset();
    return toWindow(window, *list,
                    {row.x + row.width / 2 - offset.x, row.y + row.height / 2 - offset.y});
}

QPoint Session::barButtonPoint(platform::NavigationBarLayout::Part part) const {
    auto site = outermostSite(application);
    if (!site.controller || site.bar == nullptr) {
        ADD_FAILURE() << "no navigation bar";
        return {};
    }
    const platform::NavigationBarLayout layout(site.controller->navigationBarState(),
                                               site.bar->frame().width);
    std::optional<QRectF> button;
    if (part == platform::NavigationBarLayout::Part::kBack) button = layout.back();
    if (part == platform::NavigationBarLayout::Part::kLeft) button = layout.left();
    if (part == platform::NavigationBarLayout::Part::kRight) button = layout.right();
    if (!button) {
        ADD_FAILURE() << "the bar has no such button";
        return {};
    }
    return toWindow(window, *site.bar, {button->center().x(), button->center().y()});
}

QPoint Session::controlPoint(std::string_view name) const {
    auto root = application.keyWindowPointer();
    View* page = root ? platform::InputRouter::topPageView(*root) : nullptr;
    auto control = page ? page->findView(name) : nullptr;
    if (!control) {
        ADD_FAILURE() << "no view named " << name;
        return {};
    }
    const platform::Rect frame = control->presentationFrame();
    return toWindow(window, *control, {frame.width / 2, frame.height / 2});
}

void Session::click(QPoint point) {
    QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, point);
    QCoreApplication::processEvents();
}

void Session::doubleClick(QPoint point) {
    QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, point);
    QCoreApplication::processEvents();
}

void Session::advance(double seconds) {
    clock.advance(seconds);
    platform::RunLoop::main().serviceDueWork();
    QCoreApplication::processEvents();
}

QImage Session::frame() {
    return window.renderFrame();
}

std::size_t distinctColours(const QImage& picture) {
    const QImage pixels = picture.convertToFormat(QImage::Format_ARGB32);
    std::set<QRgb> colours;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        colours.insert(line, line + pixels.width());
    }
    return colours.size();
}

int differingPixels(const QImage& a, const QImage& b, const QRect& area) {
    const QImage first = a.convertToFormat(QImage::Format_ARGB32);
    const QImage second = b.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    const QRect inside = area.intersected(first.rect()).intersected(second.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (first.pixel(x, y) != second.pixel(x, y)) ++count;
        }
    }
    return count;
}

}  // namespace hosttest
