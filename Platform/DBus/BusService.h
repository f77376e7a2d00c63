#pragma once

#include "BusTarget.h"

#include <memory>
#include <string>

namespace platform {

// The running soundboard on the session bus: it owns the name
// org.soundboard.Soundboard (or waits in the bus's queue for it while another
// copy holds it) and serves one object there, whose interface plays sounds of
// the open board, stops them, reads and sets the volume, lists the board and
// opens another. GDBus does the marshalling and answers Introspectable, Peer
// and Properties itself.
//
// Threads: the bus is served on a thread of the service's own, so that it
// works alike under the window's event loop and headless. Each request is
// posted to the main run loop, where the target answers it; the answer goes
// back from there. A request still queued when the service goes is answered
// with an error, never left hanging. Construction, publishVolume and
// destruction belong to the main thread.
class BusService {
  private:
    // Only start() can name it: the way in is there.
    struct Key {
        explicit Key() = default;
    };

  public:
    enum class Standing {
        Owner,   // the bus routes the name's calls here
        Queued,  // another copy holds the name; this one takes over when it ends
    };

    // Connects to the session bus at `address` (empty: the session bus of the
    // environment), registers the object and asks for the name. Null, with the
    // reason in `problem`, when there is no bus to join.
    explicit BusService(Key) {}

    static std::unique_ptr<BusService> start(std::shared_ptr<BusTarget> target,
                                             const std::string& address, std::string& problem);
    ~BusService();
    BusService(const BusService&) = delete;
    BusService& operator=(const BusService&) = delete;

    Standing standing() const { return m_standing; }
    // Tells listeners the volume is now `percent` (PropertiesChanged), when it changed.
    void publishVolume(int percent);

    struct Shared;

  private:
    std::shared_ptr<Shared> m_shared;
    Standing m_standing = Standing::Owner;
};

}  // namespace platform
