// The pads page of a board of 10,000 sounds as the window draws it, on Qt's
// offscreen platform: the page made, laid out and drawn once (what its
// appearance costs), and one frame of scrolling (a wheel notch, the pads that
// came laid out and the whole page drawn again). Only the pads in view exist,
// so both follow the window's size rather than the board's.

#include "BenchHome.h"
#include "Classes/ApplicationClasses.h"
#include "Classes/Pads/PadsPage.h"
#include "GeneratedLabels.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Host/Paint/HostFonts.h"
#include "Platform/Host/Paint/ModelPainter.h"
#include "Platform/Host/Paint/PageTransitions.h"
#include "Platform/Host/Paint/WebContentCache.h"
#include "Platform/UI/NavigationSites.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kBoardSounds = 10000;
constexpr int kSoundsPerCategory = 40;
constexpr double kWheelNotch = 40;

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
        std::string label;
        for (char c : labels[index]) {
            if (c == '&') {
                label += "&amp;";
            } else if (c == '<') {
                label += "&lt;";
            } else if (c == '"') {
                label += "&quot;";
            } else {
                label += c;
            }
        }
        xml += "    <DS audio_no=\"" + std::to_string(index) + "\" label=\"" + label + "\"/>\n";
    }
    xml += "  </DT>\n</Sounds>\n";
    std::ofstream(folder / "Data.XML", std::ios::binary) << xml;
    return folder;
}

// Draws the page's view as the window draws a page (no bar, at 1x).
void draw(platform::ModelPainter& painter, QImage& frame, const platform::View& view) {
    QPainter onto(&frame);
    painter.paint(onto, view, platform::NavigationSites(view), 0, 0);
}

struct Scene {
    bench::BenchHome home;
    platform::WebContentCache web;
    platform::PageTransitions transitions;
    platform::ModelPainter painter{web, transitions};
    QImage frame{320, 436, QImage::Format_ARGB32_Premultiplied};
    Scene() {
        platform::Bundle::resetMainBundle();
        platform::Bundle::setMainBundlePath(boardFolder(home));
        registerApplicationClasses();
    }
};

void BM_PadsPageAppearsDrawn(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) {
        auto page = std::make_shared<PadsPage>();
        const auto view = page->view();
        page->viewWillAppear(false);
        view->layoutIfNeeded();
        draw(scene.painter, scene.frame, *view);
        benchmark::DoNotOptimize(scene.frame.constBits());
    }
    state.counters["sounds"] = kBoardSounds;
}
BENCHMARK(BM_PadsPageAppearsDrawn)->Unit(benchmark::kMillisecond);

void BM_PadsPageScrollFrameDrawn(benchmark::State& state) {
    Scene scene;
    auto page = std::make_shared<PadsPage>();
    const auto view = page->view();
    page->viewWillAppear(false);
    auto grid = page->grid();
    const double end = grid->contentSize().height - grid->frame().height;
    double offset = 0;
    for (auto _ : state) {
        offset = offset + kWheelNotch > end ? 0 : offset + kWheelNotch;
        grid->setContentOffset({0, offset});
        view->layoutIfNeeded();
        draw(scene.painter, scene.frame, *view);
        benchmark::DoNotOptimize(scene.frame.constBits());
    }
    state.counters["sounds"] = kBoardSounds;
}
BENCHMARK(BM_PadsPageScrollFrameDrawn)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // Offscreen unless told otherwise: the frames are drawn into pictures.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    platform::HostFonts::install();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
