#include "FaultSuite.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace sbfault {
namespace {

// The figures of the whole run, printed once at its end.
Figures& totals() {
    static Figures figures;
    return figures;
}

class FiguresPrinter : public ::testing::Environment {
  public:
    void TearDown() override {
        const Figures& all = totals();
        std::printf(
            "fault injection: %d operations x %d calls x %d errors tried (%d runs); "
            "faults that lost data: %d; faults reported as success: %d\n",
            all.operations, all.calls, all.errors, all.runs, all.lostData, all.reportedAsSuccess);
    }
};
const auto* const kPrinter = ::testing::AddGlobalTestEnvironment(new FiguresPrinter);

// The runs' files live on a memory file system when there is one: fsync costs
// nothing there, and the suite judges what the calls do, not how fast a disk is.
std::filesystem::path scratchFolder() {
    std::error_code failed;
    if (std::filesystem::is_directory("/dev/shm", failed) && ::access("/dev/shm", W_OK) == 0) {
        std::string pattern = "/dev/shm/sbfault-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) return pattern;
    }
    return sbtest::tempDir() / "faults";
}

}  // namespace

FaultHarness makeSuiteHarness() {
    return FaultHarness(SB_FAULT_SHIM, scratchFolder());
}

void expectClean(const std::string& name, const Figures& figures) {
    totals() += figures;
    std::printf("%s: %d operations, %d calls, %d runs\n", name.c_str(), figures.operations,
                figures.calls, figures.runs);
    EXPECT_EQ(figures.lostData, 0);
    EXPECT_EQ(figures.reportedAsSuccess, 0);
    for (const auto& problem : figures.problems) ADD_FAILURE() << problem;
    EXPECT_GT(figures.runs, 1) << "the scenario made no file operation to fault";
}

void expectEveryOperationSucceedsWithoutFaults(FaultHarness& harness, const Scenario& scenario) {
    auto runs = harness.run(scenario, std::nullopt);
    for (const auto& run : runs) {
        EXPECT_TRUE(linesStartingWith(run, "failed").empty()) << scenario.name;
        EXPECT_FALSE(linesStartingWith(run, "ok").empty()) << scenario.name;
    }
}

}  // namespace sbfault
