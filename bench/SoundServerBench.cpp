// The output on a real sound server (a private PulseAudio daemon with null
// sinks, started here): how long a tap takes to reach the sink's monitor, with
// the stream running and from idle; how often the stream underruns in a minute
// with both cores kept busy; and what the idle program and server cost. The
// dummy driver's figure for the same path is bench_audio's.

#include "Platform/Audio/AudioDiagnostics.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/Clock.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/URL.h"
#include "tests/support/PrivateSoundServer.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using platform::SystemSoundID;

std::filesystem::path benchFolder() {
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "sbbench-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        return std::filesystem::path(mkdtemp(buffer.data()) != nullptr ? buffer.data() : "/tmp");
    }();
    return folder;
}

// A 16-bit stereo AIFF of `seconds` of a 1 kHz tone at half scale.
std::filesystem::path writeClick(const std::string& name, double seconds, double level) {
    const int frames = static_cast<int>(seconds * 44100);
    const auto be = [](std::string& out, std::uint64_t value, int bytes) {
        for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
            out.push_back(static_cast<char>((value >> shift) & 0xFF));
        }
    };
    std::string samples;
    for (int frame = 0; frame < frames; ++frame) {
        const auto value =
            static_cast<std::int16_t>(level * 32767 * std::sin(2 * M_PI * 1000 * frame / 44100.0));
        for (int channel = 0; channel < 2; ++channel)
            be(samples, static_cast<std::uint16_t>(value), 2);
    }
    std::string file = "FORM";
    be(file, 4 + 26 + 16 + samples.size(), 4);
    file += "AIFFCOMM";
    be(file, 18, 4);
    be(file, 2, 2);
    be(file, static_cast<std::uint64_t>(frames), 4);
    be(file, 16, 2);
    be(file, 0x400E, 2);
    be(file, 0xAC44000000000000ULL, 8);
    file += "SSND";
    be(file, 8 + samples.size(), 4);
    be(file, 0, 8);
    file += samples;
    const auto path = benchFolder() / name;
    std::ofstream(path, std::ios::binary) << file;
    return path;
}

SystemSoundID registerFile(const std::filesystem::path& path) {
    SystemSoundID soundID = 0;
    platform::AudioServicesCreateSystemSoundID(platform::URL::fileURLWithPath(path.string()),
                                               &soundID);
    return soundID;
}

double percentile(const std::vector<double>& sorted, double fraction) {
    const auto rank = static_cast<std::size_t>(fraction * double(sorted.size() - 1) + 0.5);
    return sorted[std::min(rank, sorted.size() - 1)];
}

void report(benchmark::State& state, std::vector<double> waits) {
    if (waits.empty()) return;
    std::sort(waits.begin(), waits.end());
    state.counters["median_ms"] = percentile(waits, 0.5);
    state.counters["p95_ms"] = percentile(waits, 0.95);
    state.counters["max_ms"] = waits.back();
}

// The server, this process pointed at it, and a recording of the default
// sink's monitor, for one benchmark.
struct Rig {
    Rig(bool debugLog, const std::string& name,
        sbtest::PrivateSoundServer::Kind kind = sbtest::PrivateSoundServer::Kind::PulseAudio)
        : server(benchFolder() / name, kind) {
        // Sinks that rewind and a real-time daemon, as on a desktop.
        server.configure({debugLog, true, true});
        started = server.start();
        if (!started) return;
        server.useInThisProcess();
        monitor = std::make_unique<sbtest::MonitorRecording>(server.address(), "alpha");
        started = monitor->waitUntilFlowing();
    }
    ~Rig() {
        platform::audio_diagnostics::resetForTesting();
        monitor.reset();
        server.kill();
        unsetenv("PULSE_SERVER");
        unsetenv("PIPEWIRE_RUNTIME_DIR");
    }
    // Plays `sound` and waits for it at the monitor; milliseconds, or none.
    std::optional<double> tap(SystemSoundID sound) {
        const std::size_t from = monitor->frames();
        const auto tapped = Clock::now();
        platform::AudioServicesPlaySystemSound(sound);
        const auto deadline = tapped + 2s;
        while (Clock::now() < deadline) {
            platform::RunLoop::main().serviceDueWork();
            if (const auto heard = monitor->firstSoundAfter(from, 200)) {
                return std::chrono::duration<double, std::milli>(*heard - tapped).count();
            }
            std::this_thread::sleep_for(200us);
        }
        return std::nullopt;
    }
    void quiet(std::chrono::milliseconds length) {
        const auto until = Clock::now() + length;
        while (Clock::now() < until) {
            platform::RunLoop::main().serviceDueWork();
            std::this_thread::sleep_for(1ms);
        }
    }

    sbtest::PrivateSoundServer server;
    std::unique_ptr<sbtest::MonitorRecording> monitor;
    bool started = false;
};

// Taps at random moments into a running stream.
void tapIntoRunningStream(benchmark::State& state, sbtest::PrivateSoundServer::Kind kind) {
    Rig rig(false, kind == sbtest::PrivateSoundServer::Kind::PipeWire ? "pipewire" : "running",
            kind);
    if (!rig.started) {
        state.SkipWithError("the sound server did not start");
        return;
    }
    const SystemSoundID click = registerFile(writeClick("click.aiff", 0.02, 0.5));
    rig.tap(click);
    std::mt19937 random(99);
    std::uniform_int_distribution<int> pause(60, 90);
    std::vector<double> waits;
    for (auto _ : state) {
        rig.quiet(std::chrono::milliseconds(pause(random)));
        const auto wait = rig.tap(click);
        if (!wait) {
            state.SkipWithError("a tap was never heard");
            break;
        }
        state.SetIterationTime(*wait / 1e3);
        waits.push_back(*wait);
    }
    report(state, waits);
}

void BM_TapToMonitor_PulseAudio(benchmark::State& state) {
    tapIntoRunningStream(state, sbtest::PrivateSoundServer::Kind::PulseAudio);
}
BENCHMARK(BM_TapToMonitor_PulseAudio)
    ->Iterations(100)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// PipeWire through SDL's own PipeWire driver (what the program picks there).
void BM_TapToMonitor_PipeWire(benchmark::State& state) {
    tapIntoRunningStream(state, sbtest::PrivateSoundServer::Kind::PipeWire);
}
BENCHMARK(BM_TapToMonitor_PipeWire)
    ->Iterations(100)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Taps after the idle delay closed the stream: the play opens it again.
void BM_TapToMonitorFromIdle_PulseAudio(benchmark::State& state) {
    Rig rig(false, "idle");
    if (!rig.started) {
        state.SkipWithError("pulseaudio did not start");
        return;
    }
    auto manual = std::make_shared<platform::ManualClock>();
    platform::RunLoop::main().setClock(manual);
    const SystemSoundID click = registerFile(writeClick("click.aiff", 0.02, 0.5));
    std::vector<double> waits;
    for (auto _ : state) {
        const auto wait = rig.tap(click);
        if (!wait) {
            state.SkipWithError("a tap was never heard");
            break;
        }
        state.SetIterationTime(*wait / 1e3);
        waits.push_back(*wait);
        rig.quiet(60ms);
        manual->advance(10.0);  // past the idle delay: the stream closes
    }
    platform::RunLoop::main().reset();
    report(state, waits);
}
BENCHMARK(BM_TapToMonitorFromIdle_PulseAudio)
    ->Iterations(30)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The chosen sink unloaded while a sound plays on it, twenty times: how long
// until the output has fallen back to the default by itself (the main loop
// only pumped, no menu opened), and until a play made then is heard on it.
// Both count from just before the sink is unloaded, pactl's own start included.
void lostDeviceFallback(benchmark::State& state, sbtest::PrivateSoundServer::Kind kind) {
    const bool pipeWire = kind == sbtest::PrivateSoundServer::Kind::PipeWire;
    Rig rig(false, pipeWire ? "fallback-pipewire" : "fallback", kind);
    if (!rig.started) {
        state.SkipWithError("the sound server did not start");
        return;
    }
    const SystemSoundID click = registerFile(writeClick("click.aiff", 0.02, 0.5));
    const SystemSoundID tone = registerFile(writeClick("tone.aiff", 0.3, 0.3));
    rig.tap(click);
    std::vector<double> fallbacks;
    std::vector<double> heard;
    std::size_t missed = 0;
    for (auto _ : state) {
        if (!rig.server.addSink("gamma", "Gamma") || !platform::setAudioOutputDevice("gamma")) {
            state.SkipWithError("the sink to lose could not be chosen");
            break;
        }
        platform::AudioServicesPlaySystemSound(tone);
        rig.quiet(100ms);
        const auto lost = Clock::now();
        rig.server.removeSink("gamma");
        const auto deadline = lost + 2s;
        while (!platform::audioOutputDevice().empty() && Clock::now() < deadline) {
            platform::RunLoop::main().serviceDueWork();
            std::this_thread::sleep_for(200us);
        }
        if (!platform::audioOutputDevice().empty()) {
            state.SkipWithError("the output never fell back");
            break;
        }
        const auto fellBack = Clock::now();
        fallbacks.push_back(std::chrono::duration<double, std::milli>(fellBack - lost).count());
        state.SetIterationTime(fallbacks.back() / 1e3);
        // WirePlumber may still be moving a stream when the first play goes out.
        std::optional<double> wait;
        for (int attempt = 0; attempt < (pipeWire ? 2 : 1) && !wait; ++attempt) {
            wait = rig.tap(click);
        }
        if (wait) {
            heard.push_back(std::chrono::duration<double, std::milli>(fellBack - lost).count() +
                            *wait);
        } else {
            ++missed;
        }
        rig.quiet(400ms);
    }
    report(state, fallbacks);
    if (!heard.empty()) {
        std::sort(heard.begin(), heard.end());
        state.counters["heard_median_ms"] = percentile(heard, 0.5);
        state.counters["heard_p95_ms"] = percentile(heard, 0.95);
        state.counters["heard_max_ms"] = heard.back();
    }
    state.counters["over_100ms"] = static_cast<double>(
        std::count_if(fallbacks.begin(), fallbacks.end(), [](double ms) { return ms > 100; }));
    state.counters["next_play_missed"] = static_cast<double>(missed);
}

void BM_LostDeviceFallback_PulseAudio(benchmark::State& state) {
    lostDeviceFallback(state, sbtest::PrivateSoundServer::Kind::PulseAudio);
}
BENCHMARK(BM_LostDeviceFallback_PulseAudio)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_LostDeviceFallback_PipeWire(benchmark::State& state) {
    lostDeviceFallback(state, sbtest::PrivateSoundServer::Kind::PipeWire);
}
BENCHMARK(BM_LostDeviceFallback_PipeWire)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

std::size_t underrunLines(const std::filesystem::path& log) {
    std::ifstream in(log);
    std::size_t count = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.find("nderrun of 'Soundboard'") != std::string::npos ||
            line.find("nderrun on 'Soundboard'") != std::string::npos) {
            ++count;
        }
    }
    return count;
}

// A minute of plays every 200 ms while two threads keep both cores busy.
void BM_UnderrunsPerMinuteWithBusyCores(benchmark::State& state) {
    Rig rig(true, "underruns");
    if (!rig.started) {
        state.SkipWithError("pulseaudio did not start");
        return;
    }
    const SystemSoundID sound = registerFile(writeClick("tone.aiff", 0.15, 0.3));
    for (auto _ : state) {
        rig.tap(sound);
        rig.quiet(1000ms);  // the stream's own start is not counted
        const std::size_t before = underrunLines(rig.server.logFile());
        std::atomic<bool> stop{false};
        std::vector<std::thread> busy;
        for (int core = 0; core < 2; ++core) {
            busy.emplace_back([&stop] {
                volatile std::uint64_t spin = 0;
                while (!stop.load(std::memory_order_relaxed)) spin = spin + 1;
            });
        }
        const auto begin = Clock::now();
        while (Clock::now() - begin < 60s) {
            platform::AudioServicesPlaySystemSound(sound);
            rig.quiet(200ms);
        }
        stop.store(true);
        for (auto& thread : busy) thread.join();
        rig.quiet(200ms);
        state.counters["underruns_per_min"] =
            static_cast<double>(underrunLines(rig.server.logFile()) - before);
    }
}
BENCHMARK(BM_UnderrunsPerMinuteWithBusyCores)->Iterations(1)->Unit(benchmark::kSecond);

double cpuSecondsOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14 || index == 15) ticks += std::stod(field);
        if (index == 15) break;
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Ten seconds after the idle delay: what the program and the server use.
void BM_IdleCpu(benchmark::State& state) {
    Rig rig(false, "idlecpu");
    if (!rig.started) {
        state.SkipWithError("pulseaudio did not start");
        return;
    }
    auto manual = std::make_shared<platform::ManualClock>();
    platform::RunLoop::main().setClock(manual);
    const SystemSoundID click = registerFile(writeClick("click.aiff", 0.02, 0.5));
    rig.tap(click);
    rig.quiet(100ms);
    manual->advance(10.0);
    // The recording would keep the sink awake itself.
    rig.monitor.reset();
    rig.quiet(2000ms);  // the sink's own suspend delay
    for (auto _ : state) {
        const double programBefore = cpuSecondsOf(getpid());
        const double serverBefore = cpuSecondsOf(rig.server.pid());
        // Nothing to serve: the program's threads are all the program is.
        std::this_thread::sleep_for(10s);
        state.counters["program_cpu_pct"] = (cpuSecondsOf(getpid()) - programBefore) * 10.0;
        state.counters["server_cpu_pct"] = (cpuSecondsOf(rig.server.pid()) - serverBefore) * 10.0;
        state.counters["sink_suspended"] =
            rig.server.sinksJson().find("\"state\":\"SUSPENDED\"") != std::string::npos ? 1 : 0;
    }
    platform::RunLoop::main().reset();
}
BENCHMARK(BM_IdleCpu)->Iterations(1)->Unit(benchmark::kSecond);

// Context switches of every thread of this process but the calling one.
std::uint64_t otherThreadsSwitches() {
    std::uint64_t total = 0;
    const std::string self = std::to_string(gettid());
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        if (task.path().filename() == self) continue;
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("voluntary_ctxt_switches:") ||
                line.starts_with("nonvoluntary_ctxt_switches:")) {
                total += std::stoull(line.substr(line.find(':') + 1));
            }
        }
    }
    return total;
}

// No sound server at all: the program plays silently and waits for one to
// appear. Its threads' wake-ups over ten seconds (the server watch sleeps
// on the socket's folder, and the silent output closes once idle).
void BM_NoServerWakeups(benchmark::State& state) {
    const std::filesystem::path absent = benchFolder() / "no-server" / "native";
    setenv("PULSE_SERVER", ("unix:" + absent.string()).c_str(), 1);
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    const std::string savedDriver = driver != nullptr ? driver : "";
    unsetenv("SDL_AUDIODRIVER");
    auto manual = std::make_shared<platform::ManualClock>();
    platform::RunLoop::main().setClock(manual);
    const SystemSoundID click = registerFile(writeClick("click.aiff", 0.02, 0.5));
    platform::AudioServicesPlaySystemSound(click);
    for (int i = 0; i < 100; ++i) {
        platform::RunLoop::main().serviceDueWork();
        std::this_thread::sleep_for(1ms);
    }
    manual->advance(10.0);
    platform::RunLoop::main().serviceDueWork();
    for (auto _ : state) {
        const std::uint64_t before = otherThreadsSwitches();
        std::this_thread::sleep_for(10s);
        state.counters["wakeups_per_s"] =
            static_cast<double>(otherThreadsSwitches() - before) / 10.0;
        state.counters["silent_output"] =
            platform::audio_diagnostics::outputFormat()
                    .value_or(platform::audio_diagnostics::OutputFormat{})
                    .silentFallback
                ? 1
                : 0;
    }
    platform::audio_diagnostics::resetForTesting();
    platform::RunLoop::main().reset();
    unsetenv("PULSE_SERVER");
    if (!savedDriver.empty()) setenv("SDL_AUDIODRIVER", savedDriver.c_str(), 1);
}
BENCHMARK(BM_NoServerWakeups)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
