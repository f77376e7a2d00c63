// Finding a sound as the user types, on a generated board of 100,000 sounds:
// one keystroke (the query grows by one character and the ranked matches are
// recomputed), the worst keystroke (the first letter of a new word, which
// looks at every label), and folding the whole board when it opens.

#include "Classes/Search/SoundSearchIndex.h"
#include "GeneratedLabels.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <vector>

namespace {

constexpr int kBoardSounds = 100000;

const std::vector<std::string>& boardLabels() {
    static const std::vector<std::string> labels = bench::generatedLabels(kBoardSounds);
    return labels;
}

void BM_Keystroke(benchmark::State& state) {
    SoundSearchIndex index(boardLabels());
    // The query after each keystroke: "w", "wh", "whi", ..., "e", "ec", ...
    std::vector<std::string> queries;
    for (const char* word : bench::kTypedWords) {
        const std::string typed(word);
        for (std::size_t length = 1; length <= typed.size(); ++length) {
            queries.push_back(typed.substr(0, length));
        }
    }
    std::size_t next = 0;
    std::size_t found = 0;
    for (auto _ : state) {
        const auto matches = index.search(queries[next]);
        next = (next + 1) % queries.size();
        found += matches.size();
        benchmark::DoNotOptimize(matches.data());
    }
    state.counters["matches_per_keystroke"] =
        benchmark::Counter(static_cast<double>(found) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_Keystroke)->Unit(benchmark::kMillisecond);

// Every keystroke the first letter of a new word: nothing earlier to narrow.
void BM_FirstLetterOfANewWord(benchmark::State& state) {
    SoundSearchIndex index(boardLabels());
    const std::array<const char*, 4> letters = {"s", "b", "e", "w"};
    std::size_t next = 0;
    for (auto _ : state) {
        const auto matches = index.search(letters[next]);
        next = (next + 1) % letters.size();
        benchmark::DoNotOptimize(matches.data());
    }
}
BENCHMARK(BM_FirstLetterOfANewWord)->Unit(benchmark::kMillisecond);

// Opening the board: every label folded once.
void BM_FoldTheBoard(benchmark::State& state) {
    const auto& labels = boardLabels();
    for (auto _ : state) {
        SoundSearchIndex index(labels);
        benchmark::DoNotOptimize(index.size());
    }
}
BENCHMARK(BM_FoldTheBoard)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
