// The real program with its window, on Qt's offscreen platform, measured from
// outside as a child process: the time from start to the first frame drawn,
// the CPU an idle window uses, and the window application's peak memory.

#include "BenchHome.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kFirstFrameLine = "first frame drawn";

// The program as a child, its standard output read through a pipe.
class Program {
  public:
    explicit Program(const std::vector<std::string>& options) {
        std::array<int, 2> ends{-1, -1};
        if (::pipe2(ends.data(), O_CLOEXEC) != 0) return;
        m_output = ends[0];
        std::vector<std::string> arguments{SOUNDBOARD_PROGRAM, "--bundle",
                                           bench::sourceBundle().string()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
        // The program's log lines would only disturb the benchmark's table.
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(ends[1]);
    }
    ~Program() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            wait();
        }
        if (m_output >= 0) ::close(m_output);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    pid_t pid() const { return m_pid; }

    // Reads until `line` arrives; false at the end of output or after 60 s of silence.
    bool waitFor(const std::string& line) {
        std::string pending;
        while (true) {
            const auto newline = pending.find('\n');
            if (newline != std::string::npos) {
                if (pending.compare(0, newline, line) == 0) return true;
                pending.erase(0, newline + 1);
                continue;
            }
            pollfd watch{m_output, POLLIN, 0};
            const int ready = ::poll(&watch, 1, 60'000);
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) return false;
            std::array<char, 512> chunk{};
            const ssize_t count = ::read(m_output, chunk.data(), chunk.size());
            if (count < 0 && errno == EINTR) continue;
            if (count <= 0) return false;
            pending.append(chunk.data(), static_cast<std::size_t>(count));
        }
    }

    int terminate() {
        if (m_pid > 0) ::kill(m_pid, SIGTERM);
        return wait();
    }

    int wait() {
        int status = 0;
        if (m_pid <= 0) return status;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
        return status;
    }

  private:
    pid_t m_pid = -1;
    int m_output = -1;
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
        if (!program.waitFor(kFirstFrameLine)) {
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
        if (!program.waitFor(kFirstFrameLine)) {
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
        if (!program.waitFor(kFirstFrameLine)) {
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
