// How long a tap waits for its sound: from AudioServicesPlaySystemSound until
// the mixer first mixes that play's samples into the output. The mixer runs
// once per period, so the wait should stay within one period (128 frames at
// 44.1 kHz, about 3 ms). Run with SDL_AUDIODRIVER=dummy (scripts/run-benchmarks
// sets it): the dummy driver paces its thread like a sound card.

#include "Platform/Audio/AudioDiagnostics.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/URL.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <vector>

namespace {

using platform::SystemSoundID;
using Clock = std::chrono::steady_clock;

std::filesystem::path bundleFolder() {
    const char* bundle = std::getenv("SOUNDBOARD_BUNDLE");
    return bundle != nullptr && *bundle != '\0' ? bundle : SOUNDBOARD_SOURCE_BUNDLE_DIR;
}

// Receives the audio thread's first-mix reports and hands the time of the
// awaited one to the tapping thread.
class FirstMixClock {
  public:
    void expect(SystemSoundID soundID) {
        std::lock_guard lock(m_mutex);
        m_awaited = soundID;
        m_mixedAt.reset();
    }
    // Audio thread: stamp first, then hand over.
    void report(SystemSoundID soundID) {
        const Clock::time_point now = Clock::now();
        std::lock_guard lock(m_mutex);
        if (soundID != m_awaited || m_mixedAt) return;
        m_mixedAt = now;
        m_changed.notify_one();
    }
    std::optional<Clock::time_point> wait() {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(2), [&] { return m_mixedAt.has_value(); });
        return m_mixedAt;
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    SystemSoundID m_awaited = 0;
    std::optional<Clock::time_point> m_mixedAt;
};

// The value below which `fraction` of the sorted values lie (nearest rank).
double percentile(const std::vector<double>& sorted, double fraction) {
    const auto rank = static_cast<std::size_t>(fraction * double(sorted.size() - 1) + 0.5);
    return sorted[std::min(rank, sorted.size() - 1)];
}

SystemSoundID registerBundledClip(benchmark::State& state) {
    SystemSoundID soundID = 0;
    const auto path = bundleFolder() / "010.aiff";
    if (platform::AudioServicesCreateSystemSoundID(platform::URL::fileURLWithPath(path.string()),
                                                   &soundID) != platform::kAudioServicesNoError) {
        state.SkipWithError("cannot register the bundled clip 010.aiff");
    }
    return soundID;
}

void BM_TapToSound(benchmark::State& state) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);  // a caller's choice of driver wins
    const SystemSoundID soundID = registerBundledClip(state);
    if (soundID == 0) return;
    const auto format = platform::audio_diagnostics::outputFormat();
    const double periodSeconds =
        format && format->frequency > 0 ? double(format->periodFrames) / format->frequency : 0.006;

    FirstMixClock clock;
    platform::audio_diagnostics::setFirstMixObserver(
        [&clock](SystemSoundID id) { clock.report(id); });

    // Taps come at random moments of the mixer's cycle, as a finger's would;
    // without the pause every tap would land just after the previous mix.
    std::mt19937 random(1234);
    std::uniform_real_distribution<double> phase(0.0, periodSeconds);
    std::vector<double> waits;
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::duration<double>(phase(random)));
        clock.expect(soundID);
        const Clock::time_point tapped = Clock::now();
        platform::AudioServicesPlaySystemSound(soundID);
        const std::optional<Clock::time_point> mixed = clock.wait();
        if (!mixed) {
            state.SkipWithError("the mixer never mixed the sound");
            break;
        }
        const double seconds = std::chrono::duration<double>(*mixed - tapped).count();
        state.SetIterationTime(seconds);
        waits.push_back(seconds);
    }
    platform::audio_diagnostics::setFirstMixObserver({});
    platform::audio_diagnostics::resetForTesting();
    if (waits.empty()) return;

    std::sort(waits.begin(), waits.end());
    const auto withinPeriod = std::count_if(waits.begin(), waits.end(),
                                            [&](double wait) { return wait <= periodSeconds; });
    state.counters["median_ms"] = percentile(waits, 0.5) * 1e3;
    state.counters["p95_ms"] = percentile(waits, 0.95) * 1e3;
    state.counters["max_ms"] = waits.back() * 1e3;
    state.counters["period_ms"] = periodSeconds * 1e3;
    state.counters["in_period_pct"] = 100.0 * double(withinPeriod) / double(waits.size());
}
BENCHMARK(BM_TapToSound)->Iterations(200)->UseManualTime()->Unit(benchmark::kMillisecond);

// The play call itself: it must return at once, whatever the mixer is doing.
void BM_PlayCallReturns(benchmark::State& state) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const SystemSoundID soundID = registerBundledClip(state);
    if (soundID == 0) return;
    for (auto _ : state) platform::AudioServicesPlaySystemSound(soundID);
    platform::audio_diagnostics::resetForTesting();
}
BENCHMARK(BM_PlayCallReturns)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
