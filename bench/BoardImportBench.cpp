// Import throughput in audio-seconds per wall-second: the real program's
// --make-board on generated clips (3 s, 44.1 kHz stereo, half FLAC and half
// MP3), against what a user would do by hand: per file, one sox process to
// measure the level and one to convert with that gain. Also the program's peak
// memory during the import. SB_BENCH_CLIPS and SB_BENCH_HAND_CLIPS set the counts.
// Wall-clock rates depend on what else the machine runs; the per-CPU-second
// rates (user + system time of the children) do not.

#include "BenchHome.h"

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kClipSeconds = 3.0;
constexpr int kRate = 44100;
constexpr int kDistinctClips = 8;  // per format; the rest are copies

bench::BenchHome& home() {
    static bench::BenchHome instance;
    return instance;
}

std::size_t countFromEnvironment(const char* name, std::size_t fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    const long value = std::strtol(text, nullptr, 10);
    return value > 0 ? static_cast<std::size_t>(value) : fallback;
}

int secondFormat() {
    SF_INFO info{};
    info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    info.samplerate = kRate;
    info.channels = 2;
    return sf_format_check(&info) ? info.format : (SF_FORMAT_OGG | SF_FORMAT_VORBIS);
}

bool writeClip(const fs::path& path, int format, int variant) {
    SF_INFO info{};
    info.format = format;
    info.samplerate = kRate;
    info.channels = 2;
    std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file(sf_open(path.c_str(), SFM_WRITE, &info),
                                                     &sf_close);
    if (!file) return false;
    const auto frames = static_cast<std::size_t>(kClipSeconds * kRate);
    std::vector<float> samples(frames * 2);
    const double amplitude = 0.02 + 0.1 * variant;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const auto value = static_cast<float>(
            amplitude * std::sin(2 * std::numbers::pi * (220.0 + 60.0 * variant) * t) *
            (0.6 + 0.4 * std::sin(2 * std::numbers::pi * 3.0 * t)));
        samples[2 * i] = value;
        samples[2 * i + 1] = value * 0.8f;
    }
    return sf_writef_float(file.get(), samples.data(), static_cast<sf_count_t>(frames)) ==
           static_cast<sf_count_t>(frames);
}

// `count` clips in `folder`, half FLAC and half in the second format.
std::vector<fs::path> generateClips(const fs::path& folder, std::size_t count) {
    fs::create_directories(folder);
    const std::array<std::pair<int, const char*>, 2> formats{
        {{SF_FORMAT_FLAC | SF_FORMAT_PCM_16, "flac"},
         {secondFormat(), secondFormat() == (SF_FORMAT_OGG | SF_FORMAT_VORBIS) ? "ogg" : "mp3"}}};
    std::vector<fs::path> clips;
    for (std::size_t i = 0; i < count; ++i) {
        const auto& [format, extension] = formats[i % 2];
        const fs::path clip = folder / ("clip " + std::to_string(i) + "." + extension);
        const std::size_t original = i % (2 * kDistinctClips);
        if (i == original) {
            if (!writeClip(clip, format, static_cast<int>(original / 2))) return {};
        } else {
            fs::copy_file(clips[original], clip);
        }
        clips.push_back(clip);
    }
    return clips;
}

struct ChildRun {
    int status = -1;
    double seconds = 0.0;
    double peakMiB = 0.0;
    double cpuSeconds = 0.0;  // user and system time of the child
    std::string output;
};

// Runs a program with its standard output captured (standard error too when
// `captureErrors`), and its resource use.
ChildRun run(std::vector<std::string> arguments, bool captureErrors = false) {
    ChildRun result;
    std::array<int, 2> ends{-1, -1};
    if (::pipe2(ends.data(), O_CLOEXEC) != 0) return result;
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    if (captureErrors) {
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDERR_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    const auto start = Clock::now();
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    if (spawned != 0) {
        ::close(ends[0]);
        return result;
    }
    std::array<char, 4096> buffer{};
    for (ssize_t got; (got = ::read(ends[0], buffer.data(), buffer.size())) > 0;) {
        result.output.append(buffer.data(), static_cast<std::size_t>(got));
    }
    ::close(ends[0]);
    struct rusage usage {};
    ::wait4(pid, &result.status, 0, &usage);
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    result.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    result.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    return result;
}

// The level in the report of `sox FILE -n stats` ("RMS lev dB"), or none when
// it holds none.
std::optional<double> soxRmsLevel(const std::string& report) {
    const auto at = report.find("RMS lev dB");
    if (at == std::string::npos) return std::nullopt;
    const char* number = report.c_str() + at + 10;
    char* end = nullptr;
    const double level = std::strtod(number, &end);
    if (end == number) return std::nullopt;
    return level;
}

void BM_BoardImport(benchmark::State& state) {
    const std::size_t clipCount = countFromEnvironment("SB_BENCH_CLIPS", 1000);
    const std::size_t handCount = countFromEnvironment("SB_BENCH_HAND_CLIPS", 100);
    const fs::path source = home().path() / "clips";
    const auto clips = generateClips(source, clipCount);
    if (clips.empty()) {
        state.SkipWithError("cannot generate the clips");
        return;
    }
    const double audioSeconds = kClipSeconds * static_cast<double>(clipCount);
    ChildRun import;
    for (auto _ : state) {
        const fs::path board = home().path() / "board";
        fs::remove_all(board);
        import = run({SOUNDBOARD_PROGRAM, "--make-board", source.string(), board.string()});
    }
    if (import.status != 0) {
        state.SkipWithError("the import failed");
        return;
    }

    // By hand, one file after another as a shell loop would: measure, then convert.
    const fs::path byHand = home().path() / "by-hand";
    fs::create_directories(byHand);
    const auto handStart = Clock::now();
    const std::size_t handClips = std::min(handCount, clips.size());
    double handCpuSeconds = 0.0;
    for (std::size_t i = 0; i < handClips; ++i) {
        const ChildRun measured = run({"sox", clips[i].string(), "-n", "stats"}, true);
        const double level = soxRmsLevel(measured.output).value_or(-20.0);
        const double gain = std::min(-16.0 - level, 30.0);
        const ChildRun converted =
            run({"sox", clips[i].string(), "-b", "16",
                 (byHand / (std::to_string(i) + ".aiff")).string(), "gain", std::to_string(gain)});
        handCpuSeconds += measured.cpuSeconds + converted.cpuSeconds;
    }
    const double handSeconds = std::chrono::duration<double>(Clock::now() - handStart).count();
    const double handRate = kClipSeconds * static_cast<double>(handClips) / handSeconds;

    const double cores = std::max(1u, std::thread::hardware_concurrency());
    const double importRate = audioSeconds / import.seconds;
    state.counters["clips"] = static_cast<double>(clipCount);
    state.counters["mp3"] = secondFormat() == (SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III) ? 1 : 0;
    state.counters["import_s"] = import.seconds;
    state.counters["import_x_realtime"] = importRate;
    state.counters["per_core_x_realtime"] = importRate / cores;
    state.counters["by_hand_x_realtime"] = handRate;
    state.counters["x_by_hand"] = importRate / handRate;
    state.counters["peak_MiB"] = import.peakMiB;
    // Per CPU-second: what one core achieves, whatever else shares the machine.
    state.counters["x_realtime_per_cpu_s"] = audioSeconds / import.cpuSeconds;
    state.counters["by_hand_per_cpu_s"] =
        kClipSeconds * static_cast<double>(handClips) / handCpuSeconds;
}
BENCHMARK(BM_BoardImport)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
