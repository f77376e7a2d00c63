#pragma once

#include <memory>
#include <string>

class BoardRemote;
namespace platform {
class BusService;
}

// The running program's bus service over the open board, for as long as this
// object lives (the program keeps it for its whole run). Starting it logs one
// line on how it stands: serving, waiting behind another copy, or off.
class BusControl {
  public:
    // `address` empty: the environment's session bus.
    explicit BusControl(const std::string& address = {});
    ~BusControl();
    BusControl(const BusControl&) = delete;
    BusControl& operator=(const BusControl&) = delete;

    bool serving() const { return m_service != nullptr; }

  private:
    std::shared_ptr<BoardRemote> m_target;
    std::unique_ptr<platform::BusService> m_service;
};
