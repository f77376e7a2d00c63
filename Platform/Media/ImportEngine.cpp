#include "ImportEngine.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace media {

ImportEngine::ImportEngine(Settings settings) : m_settings(settings) {}

unsigned ImportEngine::workerCount(std::size_t jobCount) const {
    unsigned workers = m_settings.workers;
    if (workers == 0) workers = std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::clamp<std::size_t>(jobCount, 1, workers));
}

std::vector<ClipConversion> ImportEngine::run(const std::vector<ImportJob>& jobs,
                                              const CancellationFlag& cancellation,
                                              const ProgressCallback& progress) const {
    std::vector<ClipConversion> outcomes(jobs.size());
    if (jobs.empty()) return outcomes;
    const unsigned workers = workerCount(jobs.size());
    const ClipConverter converter(m_settings.target,
                                  m_settings.bufferBudgetBytes / sizeof(float) / workers);

    std::atomic<std::size_t> nextJob{0};
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::size_t> finishedJobs;  // guarded by mutex
    unsigned runningWorkers = workers;     // guarded by mutex

    auto work = [&] {
        for (;;) {
            const std::size_t index = nextJob.fetch_add(1);
            if (index >= jobs.size()) break;
            // Each worker writes only its own slot; the reader waits for the
            // index to be queued under the mutex before reading the slot.
            outcomes[index] =
                converter.convert(jobs[index].source, jobs[index].destination, cancellation);
            std::lock_guard lock(mutex);
            finishedJobs.push_back(index);
            changed.notify_one();
        }
        std::lock_guard lock(mutex);
        --runningWorkers;
        changed.notify_one();
    };

    std::vector<std::jthread> pool;
    pool.reserve(workers);
    for (unsigned i = 0; i < workers; ++i) pool.emplace_back(work);

    std::size_t finished = 0;
    for (;;) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return !finishedJobs.empty() || runningWorkers == 0; });
        if (finishedJobs.empty()) break;
        const std::size_t index = finishedJobs.front();
        finishedJobs.pop_front();
        lock.unlock();
        ++finished;
        if (progress) progress(ImportProgress{finished, jobs.size(), index, &outcomes[index]});
    }
    pool.clear();  // joins
    return outcomes;
}

}  // namespace media
