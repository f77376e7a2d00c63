#pragma once

#include "CancellationFlag.h"
#include "ClipConverter.h"
#include "LoudnessGain.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <vector>

namespace media {

// One file to convert and where its AIFF goes.
struct ImportJob {
    std::filesystem::path source;
    std::filesystem::path destination;
};

// Reported once per finished job, in the order jobs finish.
struct ImportProgress {
    std::size_t finished = 0;
    std::size_t total = 0;
    std::size_t index = 0;                    // the job that just finished
    const ClipConversion* outcome = nullptr;  // valid during the callback only
};

// Converts many files at once on a small pool of worker threads (one per core
// unless told otherwise). Memory is bounded by the pool, not by the number of
// files: each worker holds one clip, and at most its share of the buffer budget.
class ImportEngine {
  public:
    struct Settings {
        LoudnessTarget target;
        unsigned workers = 0;  // 0: one per core
        std::size_t bufferBudgetBytes = std::size_t{64} << 20;
    };
    using ProgressCallback = std::function<void(const ImportProgress&)>;

    explicit ImportEngine(Settings settings);

    // Converts every job and returns their outcomes in job order. Blocks the
    // calling thread, which is also the one `progress` is called on, so the
    // callback may update what that thread owns and may request cancellation.
    // Once `cancellation` is set, running clips stop at their next block, the
    // jobs not begun are marked cancelled, and no destination of an unfinished
    // job is left on disk.
    std::vector<ClipConversion> run(const std::vector<ImportJob>& jobs,
                                    const CancellationFlag& cancellation,
                                    const ProgressCallback& progress = {}) const;

    unsigned workerCount(std::size_t jobCount) const;

  private:
    Settings m_settings;
};

}  // namespace media
