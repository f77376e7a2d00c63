#pragma once

#include "Classes/Remote/RemoteRequestHandler.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class HttpServer;
class Timer;
}  // namespace platform

// The remote on the application's side: it serves the open board while it is
// on, turns the page's taps into the program's commands on the main thread,
// and keeps the pages told of the board, the sounds playing and the volume.
//
// Main thread only. The port, once chosen, is kept in the desktop preferences
// and the secret with the paired sessions in a private file beside them
// (RemotePairing), so a phone paired once and its bookmark keep working
// across restarts until Forget All.
class RemoteControl {
  public:
    static RemoteControl& shared();
    ~RemoteControl();

    // Listens; false when no port could be had or the page is missing.
    bool start();
    void stop();
    bool isRunning() const { return m_server != nullptr; }

    // Whether the user left it on (File > Remote Control), for the next start.
    static bool rememberedOn();
    static void rememberOn(bool on);
    // Where the secret and the sessions are kept (mode 0600).
    static std::filesystem::path pairingFile();

    std::uint16_t port() const;
    // The address for another device, with the secret: scanning it pairs.
    std::string pairingAddress() const;
    std::vector<PairedBrowser> pairedBrowsers() const;
    // A new secret; every browser must pair again.
    void forgetAll();

    // Reads the board and the play state now instead of at the next tick.
    void refresh();

  private:
    RemoteControl() = default;
    void scheduleTick();

    std::unique_ptr<RemoteRequestHandler> m_handler;
    std::unique_ptr<platform::HttpServer> m_server;
    std::shared_ptr<platform::Timer> m_tick;
    std::string m_boardKey;
};
