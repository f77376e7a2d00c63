// The remote's server on the loopback, with the real request handler behind
// it: what the HTTP library refuses for us, floods, and an event stream.

#include "Classes/Remote/RemoteRequestHandler.h"
#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Remote/HttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

const std::string kSecret = "00112233445566778899aabbccddeeff";

// From `source` (an address of the loopback's 127/8), so one test plays
// several devices.
platform::FileDescriptor connectTo(std::uint16_t port, const char* source = nullptr) {
    platform::FileDescriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (source != nullptr) {
        sockaddr_in from{};
        from.sin_family = AF_INET;
        inet_pton(AF_INET, source, &from.sin_addr);
        if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&from), sizeof from) != 0) {
            return platform::FileDescriptor();
        }
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return platform::FileDescriptor();
    }
    return socket;
}

bool sendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count <= 0) return false;
        sent += static_cast<std::size_t>(count);
    }
    return true;
}

// Reads until `wanted` appears, the peer closes, or 10 s pass without data.
std::string readUntil(int fd, const std::string& wanted) {
    std::string got;
    char buffer[4096];
    while (got.find(wanted) == std::string::npos) {
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, 10000) <= 0) break;
        const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
        if (count <= 0) break;
        got.append(buffer, static_cast<std::size_t>(count));
    }
    return got;
}

struct Served {
    std::atomic<int> plays{0};
    std::unique_ptr<RemoteRequestHandler> handler;
    std::unique_ptr<platform::HttpServer> server;
    std::string cookie;

    Served() {
        server = platform::HttpServer::start(
            0, [this](const platform::HttpRequest& request) { return handler->handle(request); });
        RemoteRequestHandler::Settings settings;
        settings.secret = kSecret;
        settings.hostNames = {"127.0.0.1"};
        settings.port = server ? server->port() : 0;
        settings.files = {{"/", {"text/html", "<p>the page</p>"}}};
        settings.actions.play = [this](const std::string&) { ++plays; };
        handler = std::make_unique<RemoteRequestHandler>(std::move(settings));
        handler->setBoard("Board", {{"A", {{"1", "One"}}}});
    }
    ~Served() {
        handler->closeStreams();
        server.reset();
    }
    std::string host() const { return "127.0.0.1:" + std::to_string(server->port()); }

    void pair() {
        platform::FileDescriptor socket = connectTo(server->port());
        sendAll(socket.get(), "GET /pair?key=" + kSecret + " HTTP/1.1\r\nHost: " + host() +
                                  "\r\nConnection: close\r\n\r\n");
        const std::string answer = readUntil(socket.get(), "\r\n\r\n");
        const std::size_t start = answer.find(RemoteRequestHandler::kCookieName);
        ASSERT_NE(start, std::string::npos) << answer;
        cookie = answer.substr(start, answer.find(';', start) - start);
    }
    std::string request(const std::string& method, const std::string& target) const {
        return method + " " + target + " HTTP/1.1\r\nHost: " + host() + "\r\nOrigin: http://" +
               host() + "\r\nCookie: " + cookie + "\r\nContent-Length: 0\r\n\r\n";
    }
};

TEST(RemoteHttpServer, RefusesHugeRequestsAndFloodsAndStillServesThePairedBrowser) {
    Served served;
    ASSERT_TRUE(served.server);
    served.pair();
    // The paired browser's connection is open before the flood, as a page's is.
    platform::FileDescriptor paired = connectTo(served.server->port());
    ASSERT_TRUE(paired.valid());

    struct Case {
        const char* what;
        std::string request;
        const char* status;
    };
    const Case cases[] = {
        {"1 MB header",
         "GET / HTTP/1.1\r\nHost: " + served.host() + "\r\nX-Big: " + std::string(1 << 20, 'a') +
             "\r\n\r\n",
         "HTTP/1.1 431"},
        {"1 MB URL", "GET /" + std::string(1 << 20, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n",
         "HTTP/1.1 414"},
        {"body past the limit",
         served.request("POST", "/api/stop")
                 .replace(served.request("POST", "/api/stop").find("Content-Length: 0"), 17,
                          "Content-Length: 9000") +
             std::string(9000, 'b'),
         "HTTP/1.1 413"},
        {"no pairing",
         "POST /api/play?sound=1 HTTP/1.1\r\nHost: " + served.host() + "\r\nOrigin: http://" +
             served.host() + "\r\nContent-Length: 0\r\n\r\n",
         "HTTP/1.1 401"},
        {"encoded dot-dot", served.request("GET", "/%2e%2e/%2e%2e/etc/passwd"), "HTTP/1.1 404"},
        {"not HTTP", "\x16\x03\x01 hello\r\n\r\n", "HTTP/1.1 400"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::FileDescriptor socket = connectTo(served.server->port());
        sendAll(socket.get(), c.request);
        EXPECT_EQ(readUntil(socket.get(), "\r\n").substr(0, 12), c.status);
    }

    std::vector<platform::FileDescriptor> flood;
    for (int index = 0; index < 500; ++index) flood.push_back(connectTo(served.server->port()));
    ASSERT_TRUE(sendAll(paired.get(), served.request("POST", "/api/play?sound=1")));
    EXPECT_EQ(readUntil(paired.get(), "\r\n").substr(0, 12), "HTTP/1.1 204");
    EXPECT_EQ(served.plays.load(), 1);
}

TEST(RemoteHttpServer, OneAddressOpeningHundredsIsCappedWhileAnotherIsServed) {
    Served served;
    ASSERT_TRUE(served.server);
    served.pair();
    // Another device on the network, flooding; the paired browser is 127.0.0.1.
    std::vector<platform::FileDescriptor> flood;
    for (int index = 0; index < 300; ++index) {
        flood.push_back(connectTo(served.server->port(), "127.0.0.2"));
    }
    std::size_t answered = 0;
    for (platform::FileDescriptor& socket : flood) {
        if (!socket.valid() || !sendAll(socket.get(), served.request("GET", "/api/board"))) {
            continue;
        }
        if (readUntil(socket.get(), "\r\n").rfind("HTTP/1.1 200", 0) == 0) ++answered;
    }
    EXPECT_GT(answered, 0u) << "the flooding address still gets its share";
    EXPECT_LE(answered, platform::HttpServer::kAddressConnectionLimit);

    // The paired browser opens a new connection while the flood holds its
    // share: there is room for it.
    platform::FileDescriptor fresh = connectTo(served.server->port());
    ASSERT_TRUE(sendAll(fresh.get(), served.request("POST", "/api/play?sound=1")));
    EXPECT_EQ(readUntil(fresh.get(), "\r\n").substr(0, 12), "HTTP/1.1 204");
    EXPECT_EQ(served.plays.load(), 1);
}

TEST(RemoteHttpServer, AnEventStreamCarriesTheBoardAndThenEachChange) {
    Served served;
    ASSERT_TRUE(served.server);
    served.pair();
    platform::FileDescriptor socket = connectTo(served.server->port());
    sendAll(socket.get(), served.request("GET", "/api/events"));
    const std::string first = readUntil(socket.get(), "event: state");
    EXPECT_NE(first.find("text/event-stream"), std::string::npos);
    EXPECT_NE(first.find("\"One\""), std::string::npos);
    served.handler->setPlayState({"1"}, 60);
    EXPECT_NE(readUntil(socket.get(), "\"volume\":60").find("\"playing\":[\"1\"]"),
              std::string::npos);
    EXPECT_EQ(served.handler->streamCount(), 1u);
}

}  // namespace
