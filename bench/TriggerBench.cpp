// Triggers from outside the window, to the sound starting in the mixer (its
// first mix), with the real application in process over the bundled board:
//   a global hotkey: an XTEST key event on an Xvfb the benchmark starts, to
//     the sound; goal: within one mixer period plus 2 ms;
//   `soundboard --play LABEL`: from starting the program (a process start
//     included) to the sound, over a private session bus; goal: under 20 ms.
// Run with SDL_AUDIODRIVER=dummy (scripts/run-benchmarks sets it).

#include "BenchHome.h"
#include "Classes/ApplicationClasses.h"
#include "Classes/Desktop/DesktopCommands.h"
#include "Classes/Hotkeys/BoardHotkeys.h"
#include "Classes/Bus/BusControl.h"
#include "Platform/Audio/AudioDiagnostics.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Hotkeys/X11Hotkeys.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/ApplicationHost.h"
#include "Platform/UI/WindowCommands.h"
#include "tests/Platform/Hotkeys/XDisplay.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PrivateSessionBus.h"

#include <benchmark/benchmark.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The audio thread's first-mix reports, handed to the benchmark's thread.
class FirstMixClock {
  public:
    void expect() {
        std::lock_guard lock(m_mutex);
        m_awaiting = true;
        m_mixedAt.reset();
    }
    void report() {
        const Clock::time_point now = Clock::now();
        std::lock_guard lock(m_mutex);
        if (!m_awaiting || m_mixedAt) return;
        m_mixedAt = now;
        m_changed.notify_one();
    }
    std::optional<Clock::time_point> wait() {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(3), [&] { return m_mixedAt.has_value(); });
        m_awaiting = false;
        return m_mixedAt;
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_awaiting = false;
    std::optional<Clock::time_point> m_mixedAt;
};

double percentile(const std::vector<double>& sorted, double fraction) {
    const auto rank = static_cast<std::size_t>(fraction * double(sorted.size() - 1) + 0.5);
    return sorted[std::min(rank, sorted.size() - 1)];
}

double mixerPeriodSeconds() {
    const auto format = platform::audio_diagnostics::outputFormat();
    return format && format->frequency > 0 ? double(format->periodFrames) / format->frequency
                                           : 0.006;
}

// The application launched on the bundled board, its main run loop served on
// a thread of its own for as long as this lives (the benchmark's thread waits
// on the mixer meanwhile).
class RunningApplication {
  public:
    RunningApplication() {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        registerApplicationClasses();
        platform::WindowCommands::setApplicationCommands(desktopCommands());
        launched = platform::reopenMainWindow(platform::Application::sharedApplication(),
                                              bench::sourceBundle());
    }
    // Serves the loop, plays once (the first play opens the output: not
    // measured), then listens to the mixer.
    void serve() {
        m_loop = std::thread([] { platform::RunLoop::main().run(); });
        onLoop([] { platform::Application::sharedApplication().sendCommand("playSound", "001"); });
        platform::audio_diagnostics::setFirstMixObserver(
            [this](platform::SystemSoundID) { mixes.report(); });
    }
    // Runs `work` on the loop's thread and waits for it.
    void onLoop(std::function<void()> work) {
        std::promise<void> done;
        platform::RunLoop::main().post([&] {
            work();
            done.set_value();
        });
        done.get_future().wait();
    }
    ~RunningApplication() {
        platform::RunLoop::main().stop();
        if (m_loop.joinable()) m_loop.join();
        platform::audio_diagnostics::setFirstMixObserver({});
        platform::stopAllSystemSounds();
    }

    bool launched = false;
    FirstMixClock mixes;

  private:
    std::thread m_loop;
};

void report(benchmark::State& state, std::vector<double> waits, double goalSeconds) {
    if (waits.empty()) return;
    std::sort(waits.begin(), waits.end());
    state.counters["median_ms"] = percentile(waits, 0.5) * 1e3;
    state.counters["p95_ms"] = percentile(waits, 0.95) * 1e3;
    state.counters["max_ms"] = waits.back() * 1e3;
    state.counters["goal_ms"] = goalSeconds * 1e3;
}

void BM_HotkeyToSound(benchmark::State& state) {
    bench::BenchHome home;
    hotkeytest::XDisplay display;
    if (!display.started()) return state.SkipWithError("Xvfb did not start");
    RunningApplication app;
    if (!app.launched) return state.SkipWithError("the bundled board did not open");
    std::string problem;
    BoardHotkeys hotkeys(platform::X11Hotkeys::connect(display.name().c_str(), problem), problem);
    hotkeys.boardOpened();
    if (hotkeys.assign(BoardHotkeys::soundAction("001"), platform::Hotkey::parse("Ctrl+Alt+1"))) {
        return state.SkipWithError("Ctrl+Alt+1 could not be grabbed");
    }
    app.serve();
    const double period = mixerPeriodSeconds();

    std::mt19937 random(1234);
    std::uniform_real_distribution<double> phase(0.0, period);
    std::vector<double> waits;
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::duration<double>(phase(random)));
        app.mixes.expect();
        const Clock::time_point pressed = Clock::now();
        display.type({XKB_KEY_Control_L, XKB_KEY_Alt_L, XKB_KEY_1});
        const auto mixed = app.mixes.wait();
        if (!mixed) {
            state.SkipWithError("the hotkey's sound never reached the mixer");
            break;
        }
        const double seconds = std::chrono::duration<double>(*mixed - pressed).count();
        state.SetIterationTime(seconds);
        waits.push_back(seconds);
    }
    report(state, waits, period + 0.002);
    state.counters["period_ms"] = period * 1e3;
    app.onLoop([&hotkeys] { hotkeys.assign(BoardHotkeys::soundAction("001"), std::nullopt); });
}
BENCHMARK(BM_HotkeyToSound)->Iterations(200)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PlayCommandToSound(benchmark::State& state) {
    bench::BenchHome home;
    sbtest::PrivateSessionBus privateBus;
    if (!privateBus.started()) return state.SkipWithError("dbus-daemon did not start");
    RunningApplication app;
    if (!app.launched) return state.SkipWithError("the bundled board did not open");
    BusControl remote(privateBus.address());
    if (!remote.serving()) return state.SkipWithError("the bus service did not start");
    app.serve();

    sbtest::ChildProcess::Options options;
    options.environmentChanges = {privateBus.environment()};
    options.errors = sbtest::ChildProcess::Errors::WithOutput;
    std::vector<double> waits;
    for (auto _ : state) {
        app.mixes.expect();
        const Clock::time_point started = Clock::now();
        sbtest::ChildProcess play({SOUNDBOARD_PROGRAM, "--play", "Air Horn"}, options);
        const auto mixed = app.mixes.wait();
        const int status = play.finish();
        if (!mixed || status != 0) {
            state.SkipWithError("--play did not start the sound");
            break;
        }
        const double seconds = std::chrono::duration<double>(*mixed - started).count();
        state.SetIterationTime(seconds);
        waits.push_back(seconds);
    }
    report(state, waits, 0.020);
}
BENCHMARK(BM_PlayCommandToSound)->Iterations(100)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
