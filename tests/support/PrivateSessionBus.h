#pragma once

#include "ChildProcess.h"

#include <memory>
#include <string>

namespace sbtest {

// A session bus of the test's own: `dbus-daemon --session` started as a child
// and ended (by its process id) with this object. Nothing of the machine's
// own session bus is touched.
class PrivateSessionBus {
  public:
    PrivateSessionBus();
    bool started() const { return !m_address.empty(); }
    // The address to hand to clients, as DBUS_SESSION_BUS_ADDRESS.
    const std::string& address() const { return m_address; }
    std::string environment() const { return "DBUS_SESSION_BUS_ADDRESS=" + m_address; }

  private:
    std::unique_ptr<ChildProcess> m_daemon;
    std::string m_address;
};

}  // namespace sbtest
