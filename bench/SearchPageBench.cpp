// One keystroke on the search page of a board of 100,000 sounds, as the
// window delivers it: the field takes the character, its action searches and
// reloads the list, and the list lays out the rows the next frame shows.

#include "BenchHome.h"
#include "Classes/ApplicationClasses.h"
#include "Classes/Search/SearchPage.h"
#include "GeneratedLabels.h"
#include "Platform/Foundation/Bundle.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace {

constexpr int kBoardSounds = 100000;
constexpr int kSoundsPerCategory = 50;

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '"') {
            out += "&quot;";
        } else {
            out += c;
        }
    }
    return out;
}

// A bundle folder with the search page's layout and a catalogue of the generated labels.
std::filesystem::path boardFolder(const bench::BenchHome& home) {
    const auto folder = home.path() / "board";
    std::filesystem::create_directories(folder);
    for (const char* file : {"SearchPage.layout", "Info.plist"}) {
        std::filesystem::copy_file(bench::sourceBundle() / file, folder / file,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    const auto labels = bench::generatedLabels(kBoardSounds);
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Sounds>\n";
    for (std::size_t index = 0; index < labels.size(); ++index) {
        if (index % kSoundsPerCategory == 0) {
            if (index > 0) xml += "  </DT>\n";
            xml += "  <DT title=\"Category " + std::to_string(index / kSoundsPerCategory) + "\">\n";
        }
        xml += "    <DS audio_no=\"" + std::to_string(index) + "\" label=\"" +
               escaped(labels[index]) + "\"/>\n";
    }
    xml += "  </DT>\n</Sounds>\n";
    std::ofstream(folder / "Data.XML", std::ios::binary) << xml;
    return folder;
}

void BM_SearchPageKeystroke(benchmark::State& state) {
    bench::BenchHome home;
    platform::Bundle::resetMainBundle();
    platform::Bundle::setMainBundlePath(boardFolder(home));
    registerApplicationClasses();
    auto page = platform::ViewController::initWithNibName<SearchPage>("SearchPage");
    if (!page || !page->view() || !page->QueryField || !page->ResultTable) {
        state.SkipWithError("no search page");
        return;
    }
    std::size_t word = 0;
    std::size_t typed = 0;
    for (auto _ : state) {
        if (typed == std::string_view(bench::kTypedWords[word]).size()) {
            // A new word: the field is emptied from code, which searches nothing.
            state.PauseTiming();
            page->QueryField->setText("");
            typed = 0;
            word = (word + 1) % bench::kTypedWords.size();
            state.ResumeTiming();
        }
        page->QueryField->insertText(std::string(1, bench::kTypedWords[word][typed++]));
        page->ResultTable->layoutIfNeeded();
        benchmark::DoNotOptimize(page->resultCount());
    }
    state.counters["sounds"] = kBoardSounds;
}
BENCHMARK(BM_SearchPageKeystroke)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
