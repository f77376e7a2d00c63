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
class RemoteControl {
  public:
    // `address` empty: the environment's session bus.
    explicit RemoteControl(const std::string& address = {});
    ~RemoteControl();
    RemoteControl(const RemoteControl&) = delete;
    RemoteControl& operator=(const RemoteControl&) = delete;

    bool serving() const { return m_service != nullptr; }

  private:
    std::shared_ptr<BoardRemote> m_target;
    std::unique_ptr<platform::BusService> m_service;
};
