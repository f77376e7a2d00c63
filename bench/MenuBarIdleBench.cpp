// The window with its menu bar, idle after every menu has been opened and
// closed once: CPU used and frames drawn over an idle interval, in process, on
// Qt's offscreen platform. Nothing should run: no timers, no frames. And in the
// same window, a letter typed into the search page's field as the window gets it.

#include "BenchHome.h"
#include "Classes/ApplicationClasses.h"
#include "Classes/CommandNames.h"
#include "Classes/Desktop/DesktopCommands.h"
#include "Platform/Host/Paint/HostFonts.h"
#include "Platform/Host/Window/HostWindow.h"
#include "Platform/Host/Window/RunLoopBridge.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/ApplicationHost.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
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

void runQtFor(std::chrono::milliseconds interval) {
    QEventLoop loop;
    QTimer::singleShot(interval, &loop, &QEventLoop::quit);
    loop.exec();
}

// Every menu (and submenu) shown and hidden, as a user looking around would.
void openEveryMenu() {
    for (QAction* top : g_window->menuBar().actions()) {
        QMenu* menu = top->menu();
        if (menu == nullptr) continue;
        menu->popup(g_window->mapToGlobal(QPoint(0, 0)));
        runQtFor(std::chrono::milliseconds(20));
        for (QAction* item : menu->actions()) {
            if (item->menu() != nullptr) emit item->menu()->aboutToShow();
        }
        menu->hide();
    }
    runQtFor(std::chrono::milliseconds(100));
}

void BM_IdleWithMenuBar(benchmark::State& state) {
    if (g_window == nullptr || g_window->menuBarHeight() == 0) {
        state.SkipWithError("no window with a menu bar");
        return;
    }
    openEveryMenu();
    const auto idle = std::chrono::seconds(state.range(0));
    for (auto _ : state) {
        const auto framesBefore = g_window->framesPainted();
        const double cpuBefore = processCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        runQtFor(idle);
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = processCpuSeconds() - cpuBefore;
        state.SetIterationTime(wall);
        state.counters["cpu_percent"] = 100.0 * cpu / wall;
        state.counters["cpu_ms"] = cpu * 1000.0;
        state.counters["idle_frames"] =
            static_cast<double>(g_window->framesPainted() - framesBefore);
        state.counters["timer_stopped"] = g_window->isFrameTimerRunning() ? 0 : 1;
    }
}
BENCHMARK(BM_IdleWithMenuBar)->Arg(5)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// A key as the window gets it from the desktop: the shortcut override first
// (where a menu command of that key is asked whether it can run), then the
// press and the release.
void sendKey(Qt::Key key, const QString& text) {
    QKeyEvent override(QEvent::ShortcutOverride, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(g_window, &override);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(g_window, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(g_window, &release);
}

// One letter typed into the search page's field over the bundled board: the
// field takes it, the page searches and reloads its list (the frame that
// shows it is not part of the measure).
void BM_SearchKeystrokeInWindow(benchmark::State& state) {
    if (g_window == nullptr) {
        state.SkipWithError("no window");
        return;
    }
    platform::Application::sharedApplication().sendCommand(command_names::kFind, "");
    runQtFor(std::chrono::milliseconds(600));
    constexpr std::string_view kWord = "power";
    std::size_t typed = 0;
    for (auto _ : state) {
        if (typed == kWord.size()) {
            state.PauseTiming();
            for (std::size_t erased = 0; erased < kWord.size(); ++erased) {
                sendKey(Qt::Key_Backspace, QString());
            }
            typed = 0;
            state.ResumeTiming();
        }
        const char letter = kWord[typed++];
        sendKey(static_cast<Qt::Key>(Qt::Key_A + (letter - 'a')), QString(QChar(letter)));
    }
}
BENCHMARK(BM_SearchKeystrokeInWindow)->Unit(benchmark::kMicrosecond);

class BenchmarkHost final : public platform::ApplicationHost {
  public:
    int run(platform::Application& application, const platform::LaunchArguments&) override {
        static char name[] = "bench_menu_idle";
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
    platform::WindowCommands::setApplicationCommands(desktopCommands());
    platform::setWindowHostFactory([] { return std::make_unique<BenchmarkHost>(); });
    std::string program = "bench_menu_idle";
    std::string bundleOption = "--bundle";
    std::string bundle = bench::sourceBundle().string();
    std::vector<char*> arguments{program.data(), bundleOption.data(), bundle.data(), nullptr};
    const int status = platform::UIApplicationMain(3, arguments.data(), nullptr, nullptr);
    benchmark::Shutdown();
    return status;
}
