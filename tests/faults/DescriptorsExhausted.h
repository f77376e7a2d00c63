#pragma once

// While alive, this process cannot open another file: the soft limit on open
// descriptors is lowered to the lowest free one, so the next open() fails with
// EMFILE, as it does when a program has run out of descriptors. Descriptors
// already open keep working. The old limit comes back on destruction.

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace sbtest {

class DescriptorsExhausted {
  public:
    DescriptorsExhausted() {
        m_active = ::getrlimit(RLIMIT_NOFILE, &m_saved) == 0;
        int lowestFree = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
        if (lowestFree < 0) return;
        ::close(lowestFree);
        rlimit lowered = m_saved;
        lowered.rlim_cur = static_cast<rlim_t>(lowestFree);
        m_active = m_active && ::setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    ~DescriptorsExhausted() {
        if (m_active) ::setrlimit(RLIMIT_NOFILE, &m_saved);
    }
    DescriptorsExhausted(const DescriptorsExhausted&) = delete;
    DescriptorsExhausted& operator=(const DescriptorsExhausted&) = delete;

    bool active() const { return m_active; }

  private:
    rlimit m_saved{};
    bool m_active = false;
};

}  // namespace sbtest
