#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>

namespace platform {

// The server-sent events one page receives. Producers push from any thread;
// the server's connection thread waits for the next bytes. A page that stops
// reading cannot make the program hold more than `kBacklogLimit` bytes for
// it: past that its stream is closed, and the page reconnects and starts
// from a fresh snapshot.
class EventStream {
  public:
    static constexpr std::size_t kBacklogLimit = 256 * 1024;

    // Queues one event ("event: NAME\ndata: DATA\n\n"); `data` must hold no
    // line break (JSON as written by the handler has none).
    void push(const std::string& name, const std::string& data);
    // Ends the stream: the reader gets what is queued, then the end.
    void close();
    bool isClosed() const;

    // Up to `maximum` queued bytes, waiting at most `wait` for some. Empty
    // text: nothing came in time (the caller sends a keep-alive). None: the
    // stream has ended and everything queued has been read.
    std::optional<std::string> read(std::size_t maximum, std::chrono::milliseconds wait);

  private:
    mutable std::mutex m_mutex;
    std::condition_variable m_ready;
    std::string m_pending;
    bool m_closed = false;
};

}  // namespace platform
