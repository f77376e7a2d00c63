// The real program on hostile boards, measured from outside as a child:
// `--check-board` and `--screenshot` on each kind of hostile board, with the
// wall time and the peak memory (the child's largest resident set). Every
// reader is meant to stay under 200 MB and 2 s whatever the board holds.

#include "BenchHome.h"

#include "tests/Classes/Boards/HostileBoards.h"
#include "tests/support/ChildProcess.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void BM_HostileBoard(benchmark::State& state, const std::string& change, bool screenshots) {
    bench::BenchHome home;
    const fs::path board = home.path() / "board";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(board);
        fs::remove_all(home.path() / "shots");
        hostile::writeUsableBoard(board, bench::sourceBundle() / "001.aiff");
        hostile::makeHostile(board, change);
        std::vector<std::string> arguments{SOUNDBOARD_PROGRAM};
        if (screenshots) {
            arguments.insert(arguments.end(), {"--screenshot", (home.path() / "shots").string(),
                                               "--bundle", board.string()});
        } else {
            arguments.insert(arguments.end(), {"--check-board", board.string()});
        }
        sbtest::ChildProcess::Options quiet;
        quiet.errors = sbtest::ChildProcess::Errors::Discard;
        state.ResumeTiming();

        const auto start = std::chrono::steady_clock::now();
        sbtest::ChildProcess program(arguments, quiet);
        program.finish();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        state.counters["peak_MiB"] = static_cast<double>(program.peakMemoryKiB()) / 1024.0;
        state.counters["seconds"] = seconds;
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (const std::string& change : hostile::hostileChanges()) {
        for (const bool screenshots : {false, true}) {
            benchmark::RegisterBenchmark(
                ((screenshots ? "BM_Screenshot/" : "BM_CheckBoard/") + change).c_str(),
                BM_HostileBoard, change, screenshots)
                ->Iterations(1)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
