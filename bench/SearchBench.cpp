// Finding a sound as the user types, on a generated board of 100,000 sounds:
// one keystroke (the query grows by one character and the ranked matches are
// recomputed), the worst keystroke (the first letter of a new word, which
// looks at every label), and folding the whole board when it opens.

#include "Classes/SoundSearchIndex.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <vector>

namespace {

constexpr int kBoardSounds = 100000;

// Labels of two or three words with accents, capitals and numbers, the same
// on every run.
const std::vector<std::string>& boardLabels() {
    static const std::vector<std::string> labels = [] {
        const std::array<const char*, 16> first = {
            "Air",   "Éclair", "Sad",  "Straße", "Referee",  "Slide",  "Crème",  "Laser",
            "Robot", "Power",  "Drum", "Große",  "Teleport", "Cuckoo", "Piñata", "Señor"};
        const std::array<const char*, 16> second = {
            "Horn",  "Whistle", "Trombone", "Zap",    "Beeps", "Roll",    "Brûlée", "Siren",
            "Alarm", "Bell",    "Boing",    "Spring", "Pop",   "Fanfare", "Chime",  "Gong"};
        std::vector<std::string> made;
        made.reserve(kBoardSounds);
        unsigned state = 12345;
        for (int index = 0; index < kBoardSounds; ++index) {
            state = state * 1103515245U + 12345U;
            std::string label = first[(state >> 8) % first.size()];
            label += ' ';
            label += second[(state >> 16) % second.size()];
            if ((state >> 4) % 3 == 0) label += " " + std::to_string(index);
            made.push_back(std::move(label));
        }
        return made;
    }();
    return labels;
}

// What a user types, word after word; each word starts over from its first letter.
const std::array<const char*, 6> kTypedWords = {"whistle", "eclair", "brulee",
                                                "strasse", "pinata", "gong 7"};

void BM_Keystroke(benchmark::State& state) {
    SoundSearchIndex index(boardLabels());
    // The query after each keystroke: "w", "wh", "whi", ..., "e", "ec", ...
    std::vector<std::string> queries;
    for (const char* word : kTypedWords) {
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
