// Peak resident memory of the headless application on the bundled content,
// launched through the same entry path as the program: the main window layout,
// the launch callback, the run loop. Once running it visits every page (every
// sound of the main list, the favourites page with a few marks, the info page),
// then reads VmHWM and ends.

#include "BenchHome.h"
#include "Classes/ApplicationClasses.h"
#include "Classes/LovePage.h"
#include "Classes/MainPage.h"
#include "Classes/PeltoAppDelegate.h"
#include "Classes/PlayPage.h"
#include "Classes/Reference.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/ApplicationHost.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

// A "Vm...:" line of /proc/self/status in KiB; 0 when it cannot be read.
double statusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) return std::stod(line.substr(field.size() + 1));
    }
    return 0;
}

// Returns how many pages were opened.
int visitEveryPage() {
    auto delegate = std::dynamic_pointer_cast<PeltoAppDelegate>(
        platform::Application::sharedApplication().delegatePointer());
    if (!delegate || !delegate->navigationController) return 0;
    auto& stack = *delegate->navigationController;
    auto* main = dynamic_cast<MainPage*>(stack.viewControllers().front().get());
    if (main == nullptr) return 0;
    int opened = 0;
    int rows = main->RootTable->numberOfRowsInSection(0);
    for (int row = 0; row < rows; ++row) {
        main->RootTable->tapRowAtIndexPath({0, row});
        if (auto* play = dynamic_cast<PlayPage*>(stack.topViewController())) {
            ++opened;
            if (row % 3 == 0)
                Reference::setBool(true, play->curData->attribute("audio_no").value_or(""));
            play->onPlay();
            if (row == 0) play->toInfoPage();
        }
        while (stack.viewControllers().size() > 1) stack.popViewControllerAnimated(false);
    }
    main->toLovePage();
    if (dynamic_cast<LovePage*>(stack.topViewController()) != nullptr) ++opened;
    stack.popViewControllerAnimated(false);
    return opened;
}

void BM_HeadlessApplicationPeakMemory(benchmark::State& state) {
    bench::BenchHome home;
    registerApplicationClasses();
    std::vector<std::string> arguments = {"soundboard", "--headless", "--bundle",
                                          bench::sourceBundle().string()};
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    double peakKiB = 0;
    double residentKiB = 0;
    int pagesOpened = 0;
    for (auto _ : state) {
        platform::RunLoop::main().post([&] {
            pagesOpened = visitEveryPage();
            peakKiB = statusKiB("VmHWM");
            residentKiB = statusKiB("VmRSS");
            platform::Application::sharedApplication().terminate(0);
        });
        int status = platform::UIApplicationMain(static_cast<int>(arguments.size()), argv.data(),
                                                 nullptr, nullptr);
        if (status != 0) state.SkipWithError("the application did not start");
    }
    state.counters["peak_rss_MiB"] = peakKiB / 1024.0;
    state.counters["rss_MiB"] = residentKiB / 1024.0;
    state.counters["pages_opened"] = pagesOpened;
}
BENCHMARK(BM_HeadlessApplicationPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
