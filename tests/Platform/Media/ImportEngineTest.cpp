// Many clips over the worker pool: outcomes in job order, progress on the
// calling thread once per job, cancellation from inside the progress callback.

#include "Platform/Media/ImportEngine.h"

#include "TestAudio.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Clips of different lengths, so each outcome can be matched to its job.
std::vector<media::ImportJob> makeJobs(std::size_t count) {
    std::vector<media::ImportJob> jobs;
    for (std::size_t i = 0; i < count; ++i) {
        const fs::path source = sbtest::tempDir() / ("clip" + std::to_string(i) + ".wav");
        testaudio::writeTone(source, {testaudio::wavFormat(), 8000, 1, 0.5 + 0.1 * i, 0.2, 440.0});
        jobs.push_back({source, sbtest::tempDir() / ("out" + std::to_string(i) + ".aiff")});
    }
    return jobs;
}

TEST(ImportEngine, ConvertsEveryJobAndReportsEachOnceOnTheCallingThread) {
    const auto jobs = makeJobs(8);
    media::ImportEngine engine({{}, 3, std::size_t{1} << 20});
    media::CancellationFlag notCancelled;
    const auto caller = std::this_thread::get_id();
    std::vector<std::size_t> finishedCounts;
    std::set<std::size_t> reported;
    const auto outcomes = engine.run(jobs, notCancelled, [&](const media::ImportProgress& step) {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        EXPECT_EQ(step.total, jobs.size());
        ASSERT_NE(step.outcome, nullptr);
        EXPECT_TRUE(step.outcome->converted);
        finishedCounts.push_back(step.finished);
        reported.insert(step.index);
    });
    ASSERT_EQ(outcomes.size(), jobs.size());
    EXPECT_EQ(reported.size(), jobs.size());
    for (std::size_t i = 0; i < finishedCounts.size(); ++i) EXPECT_EQ(finishedCounts[i], i + 1);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        ASSERT_TRUE(outcomes[i].converted) << outcomes[i].failure;
        EXPECT_NEAR(outcomes[i].seconds, 0.5 + 0.1 * i, 1e-3);
        EXPECT_EQ(testaudio::readAll(jobs[i].destination).frames(),
                  static_cast<std::size_t>((0.5 + 0.1 * i) * 8000));
    }
}

TEST(ImportEngine, CancellingFromTheProgressCallbackLeavesOnlyFinishedFiles) {
    const auto jobs = makeJobs(12);
    media::ImportEngine engine({{}, 2, std::size_t{1} << 20});
    media::CancellationFlag cancellation;
    std::size_t reports = 0;
    const auto outcomes = engine.run(jobs, cancellation, [&](const media::ImportProgress&) {
        ++reports;
        cancellation.requestCancel();
    });
    EXPECT_EQ(reports, jobs.size());
    // How many clips finish before the workers notice depends on the scheduler;
    // that each clip is either whole or absent does not.
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        EXPECT_EQ(fs::exists(jobs[i].destination), outcomes[i].converted);
        EXPECT_NE(outcomes[i].converted, outcomes[i].cancelled);
    }
}

TEST(ImportEngine, AFlagSetBeforehandCancelsEveryJobAndStillReportsEach) {
    const auto jobs = makeJobs(5);
    media::CancellationFlag cancellation;
    cancellation.requestCancel();
    std::size_t reports = 0;
    const auto outcomes =
        media::ImportEngine({{}, 2, std::size_t{1} << 20})
            .run(jobs, cancellation, [&](const media::ImportProgress&) { ++reports; });
    EXPECT_EQ(reports, jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        EXPECT_TRUE(outcomes[i].cancelled);
        EXPECT_FALSE(fs::exists(jobs[i].destination));
    }
}

TEST(ImportEngine, ABrokenFileFailsAloneAndNoJobsIsNoWork) {
    auto jobs = makeJobs(3);
    sbtest::writeFile(jobs[1].source, "not audio");
    media::CancellationFlag notCancelled;
    media::ImportEngine engine({});
    const auto outcomes = engine.run(jobs, notCancelled);
    EXPECT_TRUE(outcomes[0].converted);
    EXPECT_FALSE(outcomes[1].converted);
    EXPECT_TRUE(outcomes[2].converted);
    EXPECT_TRUE(engine.run({}, notCancelled).empty());
    EXPECT_EQ(engine.workerCount(1), 1u);
}

}  // namespace
