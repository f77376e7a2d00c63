// One appearance of the favourites page on generated catalogues: read the
// catalogue, parse it, write and parse the favourites document, reload the
// table. Beside it, the bare expat parse of the same catalogue bytes, and the
// ratio of the two.

#include "BenchHome.h"
#include "Classes/ApplicationClasses.h"
#include "Classes/LovePage.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/UserDefaults.h"

#include <benchmark/benchmark.h>
#include <expat.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kSoundsPerCategory = 50;
constexpr int kMarkEvery = 10;

struct Generated {
    std::filesystem::path bundle;
    std::string catalogue;
};

bench::BenchHome& home() {
    static bench::BenchHome instance;
    return instance;
}

std::string audioNumber(int index) {
    std::string number = std::to_string(index);
    return std::string(number.size() < 6 ? 6 - number.size() : 0, '0') + number;
}

// A bundle folder with a catalogue of `sounds` entries, 50 per category, one in
// ten marked as a favourite, plus the favourites page's layout and banner.
const Generated& generated(int sounds) {
    static std::map<int, Generated> made;
    auto found = made.find(sounds);
    if (found != made.end()) return found->second;

    Generated result;
    result.bundle = home().path() / ("bundle-" + std::to_string(sounds));
    std::filesystem::create_directories(result.bundle);
    for (const char* file : {"LovePage.layout", "ad.html", "Info.plist", "love.png"}) {
        std::filesystem::copy_file(bench::sourceBundle() / file, result.bundle / file,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    std::string& xml = result.catalogue;
    xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Sounds>\n";
    auto& defaults = platform::UserDefaults::standardUserDefaults();
    for (int index = 0; index < sounds; ++index) {
        if (index % kSoundsPerCategory == 0) {
            if (index > 0) xml += "  </DT>\n";
            xml += "  <DT title=\"Category " + std::to_string(index / kSoundsPerCategory) + "\">\n";
        }
        xml += "    <DS audio_no=\"" + audioNumber(index) + "\" label=\"Sound number " +
               std::to_string(index) + " &amp; friends\"/>\n";
        if (index % kMarkEvery == 0) defaults.setBool(true, audioNumber(index));
    }
    xml += "  </DT>\n</Sounds>\n";
    defaults.synchronize();
    std::ofstream(result.bundle / "Data.XML", std::ios::binary) << xml;
    return made.emplace(sounds, std::move(result)).first->second;
}

// Seconds for one bare expat pass over `xml`: no handlers, one buffer.
double bareExpatSeconds(const std::string& xml) {
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        auto start = std::chrono::steady_clock::now();
        std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(
            XML_ParserCreate(nullptr), &XML_ParserFree);
        XML_Parse(parser.get(), xml.data(), static_cast<int>(xml.size()), XML_TRUE);
        std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    return best;
}

void BM_FavouritesPageAppearance(benchmark::State& state) {
    const auto& data = generated(static_cast<int>(state.range(0)));
    platform::Bundle::resetMainBundle();
    platform::Bundle::setMainBundlePath(data.bundle);
    registerApplicationClasses();
    auto page = platform::ViewController::initWithNibName<LovePage>("LovePage");
    if (!page) {
        state.SkipWithError("no favourites page");
        return;
    }
    page->view();
    double total = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        page->viewWillAppear(false);
        std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        total += elapsed.count();
        benchmark::DoNotOptimize(page->LoveData.get());
    }
    double perAppearance = total / static_cast<double>(state.iterations());
    double expat = bareExpatSeconds(data.catalogue);
    state.counters["sounds"] = static_cast<double>(state.range(0));
    state.counters["expat_ms"] = expat * 1e3;
    state.counters["appear_ms"] = perAppearance * 1e3;
    state.counters["x_expat"] = perAppearance / expat;
    state.counters["us_per_sound"] = perAppearance * 1e6 / static_cast<double>(state.range(0));
}
BENCHMARK(BM_FavouritesPageAppearance)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

void BM_BareExpatParse(benchmark::State& state) {
    const auto& data = generated(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(
            XML_ParserCreate(nullptr), &XML_ParserFree);
        benchmark::DoNotOptimize(XML_Parse(parser.get(), data.catalogue.data(),
                                           static_cast<int>(data.catalogue.size()), XML_TRUE));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.catalogue.size()));
}
BENCHMARK(BM_BareExpatParse)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
