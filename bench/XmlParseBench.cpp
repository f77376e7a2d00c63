// Parses one generated 20 MB catalogue three ways: bare expat with handlers
// that do nothing (the floor), the SPXML reader building its tree, and pugixml
// building its document. Reports MB/s for each, the reader's time relative to
// bare expat, and the heap the finished tree takes per sound entry.
#include "Classes/SPLibrary/SPXML.h"

#include <benchmark/benchmark.h>
#include <expat.h>
#include <malloc.h>
#include <pugixml.hpp>

#include <cstddef>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kCategories = 200;
constexpr int kEntriesPerCategory = 1000;
constexpr int kEntries = kCategories * kEntriesPerCategory;

// A catalogue laid out as a person would write it: indented, one entry a line,
// labels of varied length with the odd escaped character.
const std::string& catalogue() {
    static const std::string text = [] {
        static const char* const kWords[] = {"Door", "bell",    "ring", "squeak", "cat",
                                             "meow", "thunder", "clap", "laugh",  "track",
                                             "horn", "honk",    "drum", "roll",   "&amp;"};
        constexpr std::size_t kWordCount = sizeof kWords / sizeof kWords[0];
        std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Data>\n";
        out.reserve(21u << 20);
        unsigned seed = 12345;
        auto next = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 16) & 0x7FFF;
        };
        int number = 0;
        for (int category = 0; category < kCategories; ++category) {
            out += "  <DT title=\"Category " + std::to_string(category) + "\">\n";
            for (int entry = 0; entry < kEntriesPerCategory; ++entry) {
                char audioNumber[16];
                std::snprintf(audioNumber, sizeof audioNumber, "%07d", number++);
                std::string label;
                const unsigned words = 7 + next() % 7;
                for (unsigned w = 0; w < words; ++w) {
                    if (w > 0) label += ' ';
                    label += kWords[next() % kWordCount];
                }
                label += " #" + std::to_string(number);
                out += "    <DS audio_no=\"";
                out += audioNumber;
                out += "\" label=\"" + label + "\" />\n";
            }
            out += "  </DT>\n";
        }
        out += "</Data>\n";
        return out;
    }();
    return text;
}

void setBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(catalogue().size()));
}

void BM_BareExpat(benchmark::State& state) {
    const std::string& text = catalogue();
    for (auto _ : state) {
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetElementHandler(
            parser, [](void*, const XML_Char*, const XML_Char**) {}, [](void*, const XML_Char*) {});
        XML_SetCharacterDataHandler(parser, [](void*, const XML_Char*, int) {});
        const bool ok =
            XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK;
        XML_ParserFree(parser);
        if (!ok) state.SkipWithError("expat rejected the catalogue");
    }
    setBytes(state);
}

void BM_SPXMLTree(benchmark::State& state) {
    std::shared_ptr<SPXML> reader;
    for (auto _ : state) {
        state.PauseTiming();
        reader.reset();  // the previous tree goes outside the timed part
        std::string input = catalogue();
        state.ResumeTiming();
        reader = SPXML::initWithData(std::move(input));
        benchmark::DoNotOptimize(reader->document());
    }
    if (!reader || !reader->document() || reader->document()->childCount() != kCategories) {
        state.SkipWithError("the reader built the wrong tree");
    }
    setBytes(state);
}

void BM_PugixmlDocument(benchmark::State& state) {
    const std::string& text = catalogue();
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<pugi::xml_document>();
        state.ResumeTiming();
        const auto result = document->load_buffer(text.data(), text.size());
        benchmark::DoNotOptimize(document->first_child());
        state.PauseTiming();
        if (!result) state.SkipWithError("pugixml rejected the catalogue");
        document.reset();
        state.ResumeTiming();
    }
    setBytes(state);
}

// Reads every category and sound entry of a parsed catalogue the way the pages
// do (names, titles, audio numbers, labels), through the element getters.
void BM_SPXMLTreeWalk(benchmark::State& state) {
    auto reader = SPXML::initWithData(catalogue());
    const auto document = reader->document();
    reader.reset();
    std::size_t characters = 0;
    for (auto _ : state) {
        characters = 0;
        for (const auto& category : document->elements()) {
            if (!category->name()) continue;
            characters += category->attribute("title").value_or("").size();
            for (const auto& entry : category->elements()) {
                const auto name = entry->name();
                if (!name || name->empty()) continue;
                characters += entry->attribute("audio_no").value_or("").size();
                characters += entry->attribute("label").value_or("").size();
            }
        }
        benchmark::DoNotOptimize(characters);
    }
    state.counters["entries_per_s"] = benchmark::Counter(
        static_cast<double>(kEntries), benchmark::Counter::kIsIterationInvariantRate);
}

// The same walk through the views that copy nothing: children() and attributeValue().
void BM_SPXMLTreeWalkViews(benchmark::State& state) {
    auto reader = SPXML::initWithData(catalogue());
    const auto document = reader->document();
    reader.reset();
    std::size_t characters = 0;
    for (auto _ : state) {
        characters = 0;
        for (const auto& category : document->children()) {
            if (!category->name()) continue;
            characters += category->attributeValue("title").value_or("").size();
            for (const auto& entry : category->children()) {
                if (!entry->attributeValue("audio_no")) continue;
                characters += entry->attributeValue("audio_no")->size();
                characters += entry->attributeValue("label").value_or("").size();
            }
        }
        benchmark::DoNotOptimize(characters);
    }
    state.counters["entries_per_s"] = benchmark::Counter(
        static_cast<double>(kEntries), benchmark::Counter::kIsIterationInvariantRate);
}

// Bytes allocated from the heap, small blocks and mapped ones alike.
double heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks) + static_cast<double>(info.hblkhd);
}

// The heap held by a finished tree, with the reader and its input gone.
void BM_SPXMLTreeMemory(benchmark::State& state) {
    double perEntry = 0;
    for (auto _ : state) {
        const double before = heapInUse();
        auto reader = SPXML::initWithData(catalogue());
        auto document = reader->document();
        reader.reset();
        perEntry = (heapInUse() - before) / kEntries;
        benchmark::DoNotOptimize(document);
    }
    state.counters["bytes_per_DS"] = perEntry;
}

BENCHMARK(BM_BareExpat)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_SPXMLTree)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_PugixmlDocument)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_SPXMLTreeWalk)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_SPXMLTreeWalkViews)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_SPXMLTreeMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

// Prints as usual and remembers each benchmark's time per iteration, for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.iterations > 0) {
                // "BM_Name/min_time:2.000" is filed under "BM_Name".
                const std::string name = run.benchmark_name();
                times[name.substr(0, name.find('/'))] = run.GetAdjustedCPUTime();
            }
        }
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::printf("catalogue: %.1f MB, %d entries\n", static_cast<double>(catalogue().size()) / 1e6,
                kEntries);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto expat = reporter.times.find("BM_BareExpat");
    const auto reader = reporter.times.find("BM_SPXMLTree");
    if (expat != reporter.times.end() && reader != reporter.times.end() && expat->second > 0) {
        std::printf("SPXML / bare expat CPU time ratio: %.2f (target <= 1.6)\n",
                    reader->second / expat->second);
    }
    benchmark::Shutdown();
    return 0;
}
