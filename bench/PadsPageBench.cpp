// The pads page of a board of 10,000 sounds: how long it takes to appear
// (the catalogue read, the blocks built and the pads in view laid out), and
// one frame of scrolling (the band moves a wheel notch, pads that left are
// recycled for those that came). Target: under 50 ms to appear, and a scroll
// frame far inside a 60 Hz display's 16 ms.

#include "BenchHome.h"
#include "Classes/ApplicationClasses.h"
#include "Classes/Pads/PadButton.h"
#include "Classes/Pads/PadsPage.h"
#include "GeneratedLabels.h"
#include "Platform/Foundation/Bundle.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kBoardSounds = 10000;
constexpr int kSoundsPerCategory = 40;
constexpr double kWheelNotch = 40;

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

std::filesystem::path boardFolder(const bench::BenchHome& home) {
    const auto folder = home.path() / "board";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(bench::sourceBundle() / "Info.plist", folder / "Info.plist",
                               std::filesystem::copy_options::overwrite_existing);
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

struct Board {
    bench::BenchHome home;
    Board() {
        platform::Bundle::resetMainBundle();
        platform::Bundle::setMainBundlePath(boardFolder(home));
        registerApplicationClasses();
    }
};

void BM_PadsPageAppears(benchmark::State& state) {
    Board board;
    std::size_t shown = 0;
    for (auto _ : state) {
        auto page = std::make_shared<PadsPage>();
        page->view();
        page->viewWillAppear(false);
        page->view()->layoutIfNeeded();
        shown = page->grid()->shownPads().size();
        benchmark::DoNotOptimize(shown);
    }
    state.counters["sounds"] = kBoardSounds;
    state.counters["pads_in_view"] = static_cast<double>(shown);
}
BENCHMARK(BM_PadsPageAppears)->Unit(benchmark::kMillisecond);

void BM_PadsPageScrollFrame(benchmark::State& state) {
    Board board;
    auto page = std::make_shared<PadsPage>();
    page->view();
    page->viewWillAppear(false);
    auto grid = page->grid();
    const double end = grid->contentSize().height - grid->frame().height;
    double offset = 0;
    for (auto _ : state) {
        offset = offset + kWheelNotch > end ? 0 : offset + kWheelNotch;
        grid->setContentOffset({0, offset});
        grid->layoutIfNeeded();
        benchmark::DoNotOptimize(grid->shownPads().size());
    }
    state.counters["sounds"] = kBoardSounds;
}
BENCHMARK(BM_PadsPageScrollFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
