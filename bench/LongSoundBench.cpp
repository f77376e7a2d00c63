// What a 10-minute sound costs: the memory it holds once registered (and at
// the peak while it is decoded), and the CPU of mixing eight of them at once
// for five seconds. Held two ways: a 16-bit file at the output's rate, kept as
// its 16-bit samples, and the same at 48 kHz, which is resampled and so kept in
// 32-bit float. Run with SDL_AUDIODRIVER=dummy (scripts/run-benchmarks sets
// it): the dummy driver paces the mixer like a sound card.

#include "Platform/Audio/AudioDiagnostics.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/URL.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::SystemSoundID;

std::filesystem::path benchFolder() {
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "sblong-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        return std::filesystem::path(mkdtemp(buffer.data()) != nullptr ? buffer.data() : "/tmp");
    }();
    return folder;
}

void putBigEndian(std::string& out, std::uint64_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

// A 16-bit stereo AIFF of a 441 Hz tone at half scale, written a megabyte at a time.
std::filesystem::path writeLongTone(const std::string& name, int rate, double seconds) {
    const auto frames = static_cast<std::uint64_t>(seconds * rate);
    const std::uint64_t bytes = frames * 4;
    std::string header = "FORM";
    putBigEndian(header, 4 + 26 + 16 + bytes, 4);
    header += "AIFFCOMM";
    putBigEndian(header, 18, 4);
    putBigEndian(header, 2, 2);
    putBigEndian(header, frames, 4);
    putBigEndian(header, 16, 2);
    // The rate as an 80-bit float: 2^15 times a mantissa of rate / 2^15.
    const int exponent = static_cast<int>(std::floor(std::log2(rate)));
    putBigEndian(header, 0x3FFF + exponent, 2);
    putBigEndian(header, static_cast<std::uint64_t>(rate) << (63 - exponent), 8);
    header += "SSND";
    putBigEndian(header, 8 + bytes, 4);
    putBigEndian(header, 0, 8);
    const auto path = benchFolder() / name;
    std::ofstream out(path, std::ios::binary);
    out << header;
    std::string block;
    for (std::uint64_t frame = 0; frame < frames; ++frame) {
        const auto value =
            static_cast<std::int16_t>(16383 * std::sin(2 * M_PI * 441.0 * double(frame) / rate));
        // The right channel in opposite phase: a stereo sound, not mono twice.
        putBigEndian(block, static_cast<std::uint16_t>(value), 2);
        putBigEndian(block, static_cast<std::uint16_t>(-value), 2);
        if (block.size() >= 1 << 20) {
            out << block;
            block.clear();
        }
    }
    out << block;
    return path;
}

double residentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    std::uint64_t size = 0;
    std::uint64_t resident = 0;
    statm >> size >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
}

double peakMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) return std::stod(line.substr(6)) / 1e3;
    }
    return 0;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void longSound(benchmark::State& state, int rate) {
    const std::filesystem::path file =
        writeLongTone("tone-" + std::to_string(rate) + ".aiff", rate, 600.0);
    for (auto _ : state) {
        platform::audio_diagnostics::resetForTesting();
        // The peak counts from here (writing 5 resets it).
        std::ofstream("/proc/self/clear_refs") << "5";
        const double before = residentMegabytes();
        SystemSoundID sound = 0;
        if (platform::AudioServicesCreateSystemSoundID(
                platform::URL::fileURLWithPath(file.string()), &sound) !=
            platform::kAudioServicesNoError) {
            state.SkipWithError("the sound did not register");
            return;
        }
        state.counters["held_MB"] = residentMegabytes() - before;
        state.counters["peak_MB"] = peakMegabytes() - before;
        // Eight plays of it at once, for five seconds.
        for (int play = 0; play < 8; ++play) platform::AudioServicesPlaySystemSound(sound);
        const double cpuBefore = cpuSeconds();
        std::this_thread::sleep_for(std::chrono::seconds(5));
        state.counters["mix8_cpu_pct"] = (cpuSeconds() - cpuBefore) / 5.0 * 100.0;
        platform::stopAllSystemSounds();
        platform::audio_diagnostics::resetForTesting();
    }
    std::filesystem::remove(file);
}

// Held as 16-bit samples.
void BM_TenMinuteSound_16BitAt44k1(benchmark::State& state) {
    longSound(state, 44100);
}
BENCHMARK(BM_TenMinuteSound_16BitAt44k1)->Iterations(1)->Unit(benchmark::kSecond);

// Resampled, so held in float.
void BM_TenMinuteSound_16BitAt48k(benchmark::State& state) {
    longSound(state, 48000);
}
BENCHMARK(BM_TenMinuteSound_16BitAt48k)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
