#include "TerminationSignals.h"

#include "Platform/Foundation/RunLoop.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <system_error>
#include <thread>

namespace platform {
namespace {

constexpr std::array<int, 2> kSignals{SIGTERM, SIGINT};

// The write end of the active instance's pipe; -1 when none. A lock-free
// atomic is safe to read in a signal handler.
std::atomic<int> g_signalPipe{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onTerminationSignal(int signal) {
    int savedErrno = errno;
    int pipe = g_signalPipe.load();
    if (pipe >= 0) {
        auto byte = static_cast<unsigned char>(signal);
        // A full pipe already holds a pending signal; losing this one changes nothing.
        [[maybe_unused]] auto written = write(pipe, &byte, 1);
    }
    errno = savedErrno;
}

class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

  private:
    int m_fd = -1;
};

}  // namespace

struct TerminationSignals::State {
    std::function<void()> onSignal;
    std::unique_ptr<FileDescriptor> readEnd;
    std::unique_ptr<FileDescriptor> writeEnd;
    std::array<struct sigaction, kSignals.size()> previous{};
    std::thread watcher;
    bool active = false;

    void watch() {
        unsigned char byte = 0;
        while (true) {
            ssize_t got = read(readEnd->get(), &byte, 1);
            if (got < 0 && errno == EINTR) continue;
            if (got != 1) return;  // end of file: the owner closed the pipe
            RunLoop::main().post(onSignal);
        }
    }
};

TerminationSignals::TerminationSignals(std::function<void()> onSignal)
    : m_state(std::make_unique<State>()) {
    m_state->onSignal = std::move(onSignal);
    if (g_signalPipe.load() >= 0) return;

    int ends[2] = {-1, -1};
    if (pipe2(ends, O_CLOEXEC) != 0) return;
    m_state->readEnd = std::make_unique<FileDescriptor>(ends[0]);
    m_state->writeEnd = std::make_unique<FileDescriptor>(ends[1]);
    // The handler must never block on a full pipe.
    int flags = fcntl(ends[1], F_GETFL);
    if (flags < 0 || fcntl(ends[1], F_SETFL, flags | O_NONBLOCK) != 0) return;

    try {
        m_state->watcher = std::thread([state = m_state.get()] { state->watch(); });
    } catch (const std::system_error&) {
        return;
    }
    g_signalPipe.store(ends[1]);

    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], &action, &m_state->previous[i]);
    }
    m_state->active = true;
}

TerminationSignals::~TerminationSignals() {
    if (m_state->active) {
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            sigaction(kSignals[i], &m_state->previous[i], nullptr);
        }
        g_signalPipe.store(-1);
    }
    if (m_state->watcher.joinable()) {
        // Closing the only write end ends the watcher's read once the pipe is drained.
        m_state->writeEnd.reset();
        m_state->watcher.join();
    }
}

bool TerminationSignals::isActive() const {
    return m_state->active;
}

}  // namespace platform
