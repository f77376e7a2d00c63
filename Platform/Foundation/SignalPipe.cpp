#include "SignalPipe.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>

namespace platform {
namespace {

// One more than the write end of the pipe each signal belongs to; 0 when none
// (so that the zero-initialized table means "no pipe"). Lock-free atomics are
// safe to read in a signal handler.
constexpr int kSignalSlots = 65;  // Linux numbers its signals 1 to 64
std::array<std::atomic<int>, kSignalSlots> g_pipeForSignal{};
static_assert(std::atomic<int>::is_always_lock_free);

bool hasSlot(int signal) {
    return signal > 0 && signal < kSignalSlots;
}

extern "C" void onPipedSignal(int signal) {
    const int savedErrno = errno;
    const int pipe =
        hasSlot(signal) ? g_pipeForSignal[static_cast<std::size_t>(signal)].load() - 1 : -1;
    if (pipe >= 0) {
        const auto byte = static_cast<unsigned char>(signal);
        [[maybe_unused]] auto written = ::write(pipe, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

SignalPipe::SignalPipe(std::vector<int> signalNumbers) : m_signals(std::move(signalNumbers)) {
    // A signal named twice would find this pipe's own handler as its old disposition.
    std::sort(m_signals.begin(), m_signals.end());
    m_signals.erase(std::unique(m_signals.begin(), m_signals.end()), m_signals.end());
    for (int signal : m_signals) {
        if (!hasSlot(signal) || g_pipeForSignal[static_cast<std::size_t>(signal)].load() != 0) {
            return;
        }
    }
    int ends[2] = {-1, -1};
    // Both ends non-blocking: the handler never waits, and drain() stops at empty.
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
    m_readEnd = FileDescriptor(ends[0]);
    m_writeEnd = FileDescriptor(ends[1]);

    struct sigaction action {};
    action.sa_handler = onPipedSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    m_previous.resize(m_signals.size());
    for (std::size_t i = 0; i < m_signals.size(); ++i) {
        g_pipeForSignal[static_cast<std::size_t>(m_signals[i])].store(m_writeEnd.get() + 1);
        if (::sigaction(m_signals[i], &action, &m_previous[i]) != 0) {
            // Undo what was installed so far; the pipe stays inactive.
            for (std::size_t j = 0; j <= i; ++j) {
                if (j < i) ::sigaction(m_signals[j], &m_previous[j], nullptr);
                g_pipeForSignal[static_cast<std::size_t>(m_signals[j])].store(0);
            }
            m_previous.clear();
            return;
        }
    }
    m_active = true;
}

SignalPipe::~SignalPipe() {
    stopWaiting();
}

std::vector<int> SignalPipe::drain() {
    std::vector<int> delivered;
    if (!m_readEnd.valid()) return delivered;
    std::array<unsigned char, 64> bytes{};
    while (true) {
        const ssize_t got = ::read(m_readEnd.get(), bytes.data(), bytes.size());
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        delivered.insert(delivered.end(), bytes.begin(), bytes.begin() + got);
    }
    return delivered;
}

bool SignalPipe::waitForSignals() {
    if (!m_readEnd.valid()) return false;
    pollfd watched{m_readEnd.get(), POLLIN, 0};
    while (true) {
        watched.revents = 0;
        const int ready = ::poll(&watched, 1, -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return false;
        // Pending bytes come first; a hang-up alone means the write end is gone.
        return (watched.revents & POLLIN) != 0;
    }
}

void SignalPipe::stopWaiting() {
    if (m_active) {
        for (std::size_t i = 0; i < m_signals.size(); ++i) {
            ::sigaction(m_signals[i], &m_previous[i], nullptr);
            g_pipeForSignal[static_cast<std::size_t>(m_signals[i])].store(0);
        }
        m_active = false;
    }
    // Closing the only write end wakes a waiting reader with a hang-up once the
    // pipe is drained.
    m_writeEnd.close();
}

}  // namespace platform
