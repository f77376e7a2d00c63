#include "HttpServer.h"

#include "EventStream.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace platform {
namespace {

// What the server keeps for one request between the library's calls.
struct RequestState {
    HttpRequest request;
    bool bodyTooLarge = false;
};

MHD_Result collect(void* cls, MHD_ValueKind, const char* key, const char* value) {
    auto* values = static_cast<std::map<std::string, std::string>*>(cls);
    if (key == nullptr) return MHD_YES;
    std::string name(key);
    values->emplace(std::move(name), value == nullptr ? std::string() : std::string(value));
    return MHD_YES;
}

MHD_Result collectHeader(void* cls, MHD_ValueKind, const char* key, const char* value) {
    auto* values = static_cast<std::map<std::string, std::string>*>(cls);
    if (key == nullptr) return MHD_YES;
    std::string name(key);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // A repeated header counts as its first appearance only.
    values->emplace(std::move(name), value == nullptr ? std::string() : std::string(value));
    return MHD_YES;
}

std::string peerAddress(MHD_Connection* connection) {
    const MHD_ConnectionInfo* info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (info == nullptr || info->client_addr == nullptr) return {};
    char text[INET6_ADDRSTRLEN] = {};
    const sockaddr* address = info->client_addr;
    if (address->sa_family == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
    } else if (address->sa_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
    }
    return text;
}

// Keep-alive comments keep an idle event stream under the idle timeout.
constexpr std::chrono::milliseconds kKeepAliveWait{10000};

ssize_t readStream(void* cls, std::uint64_t, char* buffer, std::size_t maximum) {
    auto& stream = *static_cast<std::shared_ptr<EventStream>*>(cls);
    const std::optional<std::string> bytes = stream->read(maximum, kKeepAliveWait);
    if (!bytes) return MHD_CONTENT_READER_END_OF_STREAM;
    std::string chunk = bytes->empty() ? std::string(": idle\n\n") : *bytes;
    const std::size_t count = std::min(maximum, chunk.size());
    std::memcpy(buffer, chunk.data(), count);
    return static_cast<ssize_t>(count);
}

void freeStream(void* cls) {
    // Takes back the reference handed to the library in makeResponse.
    std::unique_ptr<std::shared_ptr<EventStream>> owned(
        static_cast<std::shared_ptr<EventStream>*>(cls));
    if (*owned) (*owned)->close();
}

struct ResponseDeleter {
    void operator()(MHD_Response* response) const { MHD_destroy_response(response); }
};

std::unique_ptr<MHD_Response, ResponseDeleter> makeResponse(HttpResponse& answer) {
    MHD_Response* response = nullptr;
    if (answer.stream) {
        auto holder = std::make_unique<std::shared_ptr<EventStream>>(answer.stream);
        response = MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 4096, readStream,
                                                     holder.get(), freeStream);
        if (response != nullptr) holder.release();
    } else {
        response = MHD_create_response_from_buffer(answer.body.size(), answer.body.data(),
                                                   MHD_RESPMEM_MUST_COPY);
    }
    std::unique_ptr<MHD_Response, ResponseDeleter> owned(response);
    if (!owned) return owned;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, answer.contentType.c_str());
    for (const auto& [name, value] : answer.headers) {
        MHD_add_response_header(response, name.c_str(), value.c_str());
    }
    return owned;
}

}  // namespace

struct HttpServerCallbacks {
    static MHD_Result access(void* cls, MHD_Connection* connection, const char* url,
                             const char* method, const char*, const char* uploadData,
                             std::size_t* uploadDataSize, void** requestCls) {
        auto& server = *static_cast<HttpServer*>(cls);
        if (*requestCls == nullptr) {
            auto state = std::make_unique<RequestState>();
            state->request.method = method == nullptr ? "" : method;
            state->request.path = url == nullptr ? "" : url;
            state->request.peer = peerAddress(connection);
            MHD_get_connection_values(connection, MHD_HEADER_KIND, collectHeader,
                                      &state->request.headers);
            MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, collect,
                                      &state->request.query);
            MHD_get_connection_values(connection, MHD_COOKIE_KIND, collect,
                                      &state->request.cookies);
            *requestCls = state.release();
            return MHD_YES;
        }
        auto& state = *static_cast<RequestState*>(*requestCls);
        if (*uploadDataSize != 0) {
            if (state.request.body.size() + *uploadDataSize > HttpServer::kBodyLimit) {
                state.bodyTooLarge = true;
            } else {
                state.request.body.append(uploadData, *uploadDataSize);
            }
            *uploadDataSize = 0;
            return MHD_YES;
        }
        HttpResponse answer = state.bodyTooLarge
                                  ? HttpResponse::text(413, "The request body is too large.\n")
                                  : server.m_handler(state.request);
        auto response = makeResponse(answer);
        if (!response) return MHD_NO;
        return MHD_queue_response(connection, static_cast<unsigned>(answer.status), response.get());
    }

    static void completed(void*, MHD_Connection*, void** requestCls, MHD_RequestTerminationCode) {
        std::unique_ptr<RequestState> owned(static_cast<RequestState*>(*requestCls));
        *requestCls = nullptr;
    }
};

void HttpServer::DaemonDeleter::operator()(MHD_Daemon* daemon) const {
    MHD_stop_daemon(daemon);
}

HttpServer::~HttpServer() = default;

std::unique_ptr<MHD_Daemon, HttpServer::DaemonDeleter> HttpServer::listen(std::uint16_t port,
                                                                          HttpServer& server) {
    const unsigned base =
        MHD_USE_THREAD_PER_CONNECTION | MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_POLL;
    // Both IPv6 and IPv4 where the system has IPv6, else IPv4 alone.
    for (const unsigned flags : {base | MHD_USE_DUAL_STACK, base}) {
        MHD_Daemon* daemon = MHD_start_daemon(
            flags, port, nullptr, nullptr, &HttpServerCallbacks::access, &server,
            MHD_OPTION_CONNECTION_LIMIT, HttpServer::kConnectionLimit,
            MHD_OPTION_PER_IP_CONNECTION_LIMIT, HttpServer::kAddressConnectionLimit,
            MHD_OPTION_CONNECTION_MEMORY_LIMIT, HttpServer::kRequestMemory,
            MHD_OPTION_CONNECTION_TIMEOUT, HttpServer::kIdleSeconds, MHD_OPTION_NOTIFY_COMPLETED,
            &HttpServerCallbacks::completed, nullptr, MHD_OPTION_END);
        if (daemon != nullptr) return std::unique_ptr<MHD_Daemon, DaemonDeleter>(daemon);
    }
    return nullptr;
}

std::unique_ptr<HttpServer> HttpServer::start(std::uint16_t port, Handler handler) {
    auto server = std::make_unique<HttpServer>(Tag{});
    server->m_handler = std::move(handler);
    server->m_daemon = port == 0 ? nullptr : listen(port, *server);
    if (!server->m_daemon) server->m_daemon = listen(0, *server);
    if (!server->m_daemon) return nullptr;
    const MHD_DaemonInfo* info =
        MHD_get_daemon_info(server->m_daemon.get(), MHD_DAEMON_INFO_BIND_PORT);
    server->m_port = info == nullptr ? port : info->port;
    return server;
}

}  // namespace platform
