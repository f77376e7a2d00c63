// The window while the options panel slides in or out: CPU used and frames
// drawn, in process, on Qt's offscreen platform. The application is launched
// through the program's own entry path; the benchmarks run inside its host.

#include "BenchHome.h"
#include "Classes/ApplicationClasses.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Host/Paint/HostFonts.h"
#include "Platform/Host/Paint/NavigationBarLayout.h"
#include "Platform/Host/Window/HostWindow.h"
#include "Platform/Host/Window/RunLoopBridge.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/ApplicationHost.h"
#include "Platform/UI/NavigationSites.h"
#include "Platform/UI/Window.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

platform::HostWindow* g_window = nullptr;

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The centre of the options button (the main page's left bar button), in the window.
std::optional<QPointF> optionsButton() {
    auto root = platform::Application::sharedApplication().keyWindowPointer();
    if (!root) return std::nullopt;
    const platform::NavigationSites sites(*root);
    const platform::NavigationSite* site = sites.outermost();
    if (site == nullptr || site->bar == nullptr) return std::nullopt;
    const platform::NavigationBarLayout layout(site->controller->navigationBarState(),
                                               site->bar->frame().width);
    if (!layout.left()) return std::nullopt;
    const auto centre = layout.left()->center();
    const auto point = site->bar->convertPointToAncestor({centre.x(), centre.y()}, nullptr);
    // Taps take widget coordinates: through the window's scale.
    const QPointF model(point.x, point.y);
    return g_window != nullptr ? g_window->modelToWidget().map(model) : model;
}

void BM_OptionsPanelAnimation(benchmark::State& state) {
    const auto button = optionsButton();
    if (g_window == nullptr || !button) {
        state.SkipWithError("no window with an options button");
        return;
    }
    double frames = 0;
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        const auto framesBefore = g_window->framesPainted();
        const double cpuBefore = processCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        g_window->tapAt(*button);
        // Qt's own loop runs the frames until the panel has come to rest.
        const double remaining =
            platform::View::animationsEndTime() - platform::RunLoop::main().now();
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(std::ceil(remaining * 1000)) + 50, &loop,
                           &QEventLoop::quit);
        loop.exec();
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(elapsed);
        frames += static_cast<double>(g_window->framesPainted() - framesBefore);
        cpu += processCpuSeconds() - cpuBefore;
        wall += elapsed;
    }
    state.counters["frames"] = benchmark::Counter(frames, benchmark::Counter::kAvgIterations);
    state.counters["cpu_percent"] = wall > 0 ? 100.0 * cpu / wall : 0.0;
    state.counters["timer_stopped"] = g_window->isFrameTimerRunning() ? 0 : 1;
}
BENCHMARK(BM_OptionsPanelAnimation)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

// Runs the registered benchmarks with the launched application in a window.
class BenchmarkHost final : public platform::ApplicationHost {
  public:
    int run(platform::Application& application, const platform::LaunchArguments&) override {
        static char name[] = "bench_host_animation";
        static char* arguments[] = {name, nullptr};
        int count = 1;
        QApplication qt(count, arguments);
        platform::HostFonts::install();
        platform::HostWindow window(application, {});
        platform::RunLoopBridge bridge(application);
        QObject::connect(&bridge, &platform::RunLoopBridge::serviced, &window,
                         qOverload<>(&QWidget::update));
        window.show();
        QCoreApplication::processEvents();
        g_window = &window;
        benchmark::RunSpecifiedBenchmarks();
        g_window = nullptr;
        return 0;
    }
};

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    bench::BenchHome home;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    registerApplicationClasses();
    platform::setWindowHostFactory([] { return std::make_unique<BenchmarkHost>(); });
    std::string program = "bench_host_animation";
    std::string bundleOption = "--bundle";
    std::string bundle = bench::sourceBundle().string();
    std::vector<char*> arguments{program.data(), bundleOption.data(), bundle.data(), nullptr};
    const int status = platform::UIApplicationMain(3, arguments.data(), nullptr, nullptr);
    benchmark::Shutdown();
    return status;
}
