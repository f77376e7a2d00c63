// The real program with its window, on Qt's offscreen platform, measured from
// outside as a child process: the time from start to the first frame drawn,
// the CPU an idle window uses, and the window application's peak memory.

#include "BenchHome.h"

#include "tests/support/ChildProcess.h"

#include <benchmark/benchmark.h>

#include <signal.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kFirstFrameLine = "first frame drawn";

// The program as a child, its standard output read through a pipe. Its log lines
// would only disturb the benchmark's table.
class Program : public sbtest::ChildProcess {
  public:
    explicit Program(const std::vector<std::string>& options)
        : ChildProcess(arguments(options), quiet()) {}

    int terminate() {
        sendSignal(SIGTERM);
        return wait();
    }

  private:
    static Options quiet() {
        Options options;
        options.errors = Errors::Discard;
        return options;
    }
    static std::vector<std::string> arguments(const std::vector<std::string>& options) {
        std::vector<std::string> all{SOUNDBOARD_PROGRAM, "--bundle",
                                     bench::sourceBundle().string()};
        all.insert(all.end(), options.begin(), options.end());
        return all;
    }
};

// CPU time the process has used, in seconds, over all its threads. The
// scheduler's statistics count nanoseconds, far finer than clock ticks.
double cpuSeconds(pid_t pid) {
    double total = 0;
    std::error_code error;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double nanoseconds = 0;
        if (schedstat >> nanoseconds) total += nanoseconds / 1e9;
    }
    return total;
}

// A "Vm...:" line of the process's status, in KiB; 0 when it cannot be read.
double statusKiB(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) return std::stod(line.substr(field.size() + 1));
    }
    return 0;
}

void BM_StartToFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = Clock::now();
        Program program({"--quit-after-first-frame"});
        if (!program.waitForLine(kFirstFrameLine)) {
            state.SkipWithError("the program drew no frame");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        program.wait();
    }
}
BENCHMARK(BM_StartToFirstFrame)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

void BM_IdleWindowCpu(benchmark::State& state) {
    const auto idle = std::chrono::seconds(state.range(0));
    for (auto _ : state) {
        Program program({"--report-first-frame"});
        if (!program.waitForLine(kFirstFrameLine)) {
            state.SkipWithError("the program drew no frame");
            return;
        }
        // Let the start-up settle (fonts, the banner's first layout).
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const double cpuBefore = cpuSeconds(program.pid());
        const auto start = Clock::now();
        std::this_thread::sleep_for(idle);
        const double cpu = cpuSeconds(program.pid()) - cpuBefore;
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(wall);
        state.counters["cpu_percent"] = 100.0 * cpu / wall;
        state.counters["cpu_ms"] = cpu * 1000.0;
        // What the start-up used, as a check that the counting works at all.
        state.counters["startup_cpu_ms"] = cpuBefore * 1000.0;
        program.terminate();
    }
}
BENCHMARK(BM_IdleWindowCpu)->Arg(10)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_WindowPeakMemory(benchmark::State& state) {
    for (auto _ : state) {
        Program program({"--report-first-frame"});
        if (!program.waitForLine(kFirstFrameLine)) {
            state.SkipWithError("the program drew no frame");
            return;
        }
        state.counters["VmHWM_MiB"] = statusKiB(program.pid(), "VmHWM") / 1024.0;
        state.counters["VmRSS_MiB"] = statusKiB(program.pid(), "VmRSS") / 1024.0;
        program.terminate();
    }
}
BENCHMARK(BM_WindowPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // The window needs no display: Qt draws offscreen, as in the tests.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    bench::BenchHome home;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
