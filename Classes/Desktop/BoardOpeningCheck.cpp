#include "Classes/Desktop/BoardOpeningCheck.h"

#include "Classes/Boards/BoardChecker.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/HostServices.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The checks under way; joined when the process ends, after the run loop has
// stopped serving, so none outlives what it posts to.
class Checks {
  public:
    // Runs `work` on a thread of its own.
    void add(std::function<void()> work) {
        auto done = std::make_shared<std::atomic<bool>>(false);
        const std::scoped_lock lock(m_mutex);
        // Finished ones go as new ones come, so the list stays short.
        std::erase_if(m_running, [](const Running& check) { return check.done->load(); });
        m_running.push_back({done, std::jthread([work = std::move(work), done] {
                                 work();
                                 done->store(true);
                             })});
    }

    void joinAll() {
        std::vector<Running> running;
        {
            const std::scoped_lock lock(m_mutex);
            running.swap(m_running);
        }
        // Joined as they go out of scope, outside the lock.
    }

  private:
    struct Running {
        std::shared_ptr<std::atomic<bool>> done;
        std::jthread thread;
    };
    std::mutex m_mutex;
    std::vector<Running> m_running;
};

Checks& checks() {
    static Checks running;
    return running;
}

std::size_t errorCount(const BoardCheck& check) {
    return static_cast<std::size_t>(std::count_if(
        check.problems.begin(), check.problems.end(),
        [](const BoardProblem& p) { return p.severity == BoardProblem::Severity::Error; }));
}

void report(const fs::path& board, std::size_t errors) {
    auto shown = platform::Bundle::mainBundle();
    // Another board (or the application's own sounds) opened meanwhile.
    if (errors == 0 || !shown || shown->bundlePath() != board) return;
    const std::string name = board.filename().string();
    const std::string count = errors == 1 ? "1 problem" : std::to_string(errors) + " problems";
    platform::Log("Board \"" + board.string() + "\" has " + count + "; File > Check Board shows them");
    platform::Application::sharedApplication().hostServices().tell(
        "Board Has Problems",
        "The board “" + name + "” has " + count +
            ", so some of its sounds may not play. Choose File ▸ Check Board to see the report.");
}

}  // namespace

namespace BoardOpeningCheck {

void start() {
    auto bundle = platform::Bundle::mainBundle();
    // The application's own bundle has no application bundle behind it.
    if (!bundle || !bundle->applicationBundle()) return;
    const fs::path board = bundle->bundlePath();
    checks().add([board] {
        const std::size_t errors = errorCount(BoardCheck::ofFolder(board));
        platform::RunLoop::main().post([board, errors] { report(board, errors); });
    });
}

void waitForAll() {
    checks().joinAll();
}

}  // namespace BoardOpeningCheck
