#pragma once

#include "HttpExchange.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

struct MHD_Daemon;

namespace platform {

// A small HTTP server on libmicrohttpd, listening on every address of the
// computer (the loopback included) while it lives. Each connection has a
// thread of its own, so an event stream may wait for its next event without
// holding anyone else up; the handler is called on those threads and must be
// safe for that.
//
// What the library enforces for us: at most `kConnectionLimit` connections,
// and `kAddressConnectionLimit` from any one address, so that one device
// opening hundreds cannot take every place from the paired phone (more are
// closed at once); `kRequestMemory` bytes for one request's line and headers
// (more: 431 or 414); a connection idle for `kIdleSeconds` is closed.
// The body is cut here at `kBodyLimit` bytes (413).
class HttpServer {
  public:
    using Handler = std::function<HttpResponse(const HttpRequest&)>;
    static constexpr unsigned kConnectionLimit = 64;
    // A browser opens at most six to one server, plus an event stream per tab.
    static constexpr unsigned kAddressConnectionLimit = 16;
    static constexpr std::size_t kRequestMemory = 16 * 1024;
    static constexpr std::size_t kBodyLimit = 4 * 1024;
    static constexpr unsigned kIdleSeconds = 30;

    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Listens on `port`, or on a port the system chooses when that one is
    // taken (or `port` is 0). Null when no port can be had.
    static std::unique_ptr<HttpServer> start(std::uint16_t port, Handler handler);

    std::uint16_t port() const { return m_port; }

    // Only start() makes servers; the tag keeps the constructor to it.
    struct Tag {};
    explicit HttpServer(Tag) {}

  private:
    struct DaemonDeleter {
        void operator()(MHD_Daemon* daemon) const;
    };
    static std::unique_ptr<MHD_Daemon, DaemonDeleter> listen(std::uint16_t port,
                                                             HttpServer& server);

    Handler m_handler;
    std::unique_ptr<MHD_Daemon, DaemonDeleter> m_daemon;
    std::uint16_t m_port = 0;

    friend struct HttpServerCallbacks;
};

}  // namespace platform
