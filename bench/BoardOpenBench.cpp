// Opening a board of 10,000 sounds, all in its first category as a flat folder
// of clips would make it: from choosing the board to the main page's table
// holding its first screen of cells. The board holds only its catalogue (no
// sound is decoded before its play page opens); its layouts and images come
// from the application bundle behind it.

#include "BenchHome.h"
#include "Classes/ApplicationClasses.h"
#include "Classes/MainPage.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/UI/TableView.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

bench::BenchHome& home() {
    static bench::BenchHome instance;
    return instance;
}

fs::path boardOf(int sounds) {
    const fs::path board = home().path() / ("board-" + std::to_string(sounds));
    fs::create_directories(board);
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Sounds>\n    <DT title=\"All\">\n";
    const int width = static_cast<int>(std::to_string(sounds).size());
    for (int i = 1; i <= sounds; ++i) {
        std::string number = std::to_string(i);
        number.insert(0, static_cast<std::size_t>(std::max(3, width)) - number.size(), '0');
        xml +=
            "        <DS audio_no=\"" + number + "\" label=\"Clip " + number + " &amp; co\" />\n";
    }
    xml += "    </DT>\n</Sounds>\n";
    std::ofstream(board / "Data.XML", std::ios::binary) << xml;
    return board;
}

void BM_OpenBoardMainPage(benchmark::State& state) {
    const fs::path board = boardOf(static_cast<int>(state.range(0)));
    registerApplicationClasses();
    std::size_t cells = 0;
    for (auto _ : state) {
        platform::Bundle::resetMainBundle();
        platform::Bundle::setMainBundlePath(board);
        platform::UserDefaults::resetStandardUserDefaults();
        auto page = platform::ViewController::initWithNibName<MainPage>("MainPage");
        if (!page) {
            state.SkipWithError("no main page");
            return;
        }
        page->view();
        page->viewWillAppear(false);
        if (!page->RootTable) {
            state.SkipWithError("no table");
            return;
        }
        page->RootTable->layoutIfNeeded();
        cells = page->RootTable->visibleCells().size();
        benchmark::DoNotOptimize(cells);
    }
    state.counters["sounds"] = static_cast<double>(state.range(0));
    state.counters["cells_on_screen"] = static_cast<double>(cells);
}
BENCHMARK(BM_OpenBoardMainPage)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
