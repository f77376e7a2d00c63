#include "MemoryWarningSignal.h"

#include "Platform/UI/Application.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>

namespace platform {
namespace {

// The write end of the active instance's socket pair; -1 when none.
std::atomic<int> g_warningSocket{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onMemoryWarningSignal(int) {
    const int savedErrno = errno;
    const int socket = g_warningSocket.load();
    if (socket >= 0) {
        const unsigned char byte = 1;
        // A full buffer already holds a pending warning; dropping this one loses nothing.
        [[maybe_unused]] auto written = ::send(socket, &byte, 1, MSG_DONTWAIT | MSG_NOSIGNAL);
    }
    errno = savedErrno;
}

class OwnedDescriptor {
  public:
    explicit OwnedDescriptor(int fd = -1) : m_fd(fd) {}
    ~OwnedDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    OwnedDescriptor(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;
    int get() const { return m_fd; }

  private:
    int m_fd;
};

}  // namespace

struct MemoryWarningSignal::State {
    std::unique_ptr<OwnedDescriptor> readEnd;
    std::unique_ptr<OwnedDescriptor> writeEnd;
    std::unique_ptr<QSocketNotifier> notifier;
    struct sigaction previous {};
    bool active = false;
};

MemoryWarningSignal::MemoryWarningSignal(Application& application, QObject* parent)
    : QObject(parent), m_application(application), m_state(std::make_unique<State>()) {
    if (g_warningSocket.load() >= 0) return;
    std::array<int, 2> ends{-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends.data()) != 0) {
        return;
    }
    m_state->readEnd = std::make_unique<OwnedDescriptor>(ends[0]);
    m_state->writeEnd = std::make_unique<OwnedDescriptor>(ends[1]);
    m_state->notifier = std::make_unique<QSocketNotifier>(ends[0], QSocketNotifier::Read);
    connect(m_state->notifier.get(), &QSocketNotifier::activated, this,
            &MemoryWarningSignal::drain);
    g_warningSocket.store(ends[1]);

    struct sigaction action {};
    action.sa_handler = onMemoryWarningSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGUSR1, &action, &m_state->previous) != 0) {
        g_warningSocket.store(-1);
        return;
    }
    m_state->active = true;
}

MemoryWarningSignal::~MemoryWarningSignal() {
    if (!m_state->active) return;
    ::sigaction(SIGUSR1, &m_state->previous, nullptr);
    g_warningSocket.store(-1);
}

bool MemoryWarningSignal::isActive() const {
    return m_state->active;
}

void MemoryWarningSignal::drain() {
    // Several signals may have arrived since the last look; each warns once.
    std::array<unsigned char, 64> bytes{};
    ssize_t received = 0;
    int warnings = 0;
    while ((received = ::recv(m_state->readEnd->get(), bytes.data(), bytes.size(), 0)) > 0) {
        warnings += static_cast<int>(received);
    }
    for (int i = 0; i < warnings; ++i) {
        m_application.didReceiveMemoryWarning();
        emit delivered();
    }
}

}  // namespace platform
