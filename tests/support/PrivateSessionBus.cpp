#include "PrivateSessionBus.h"

namespace sbtest {

PrivateSessionBus::PrivateSessionBus()
    : m_daemon(std::make_unique<ChildProcess>(
          std::vector<std::string>{"/usr/bin/dbus-daemon", "--session", "--nofork", "--nopidfile",
                                   "--print-address=1"},
          // Its notes (a raised file limit refused) are no part of any test.
          ChildProcess::Options{{}, ChildProcess::Errors::Discard, {}})) {
    // The daemon prints its address once it listens.
    if (auto line = m_daemon->readLine()) m_address = *line;
}

}  // namespace sbtest
