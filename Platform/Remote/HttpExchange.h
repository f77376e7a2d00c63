#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform {

class EventStream;

// One request as the HTTP library has read it. The path is the one the
// library has already percent-decoded; header names are lower case.
struct HttpRequest {
    std::string method;
    std::string path;
    std::map<std::string, std::string> query;
    std::map<std::string, std::string> headers;
    std::map<std::string, std::string> cookies;
    std::string body;
    // The peer's numeric address ("127.0.0.1", "::1").
    std::string peer;

    // The header `name` (lower case), empty when absent.
    std::string header(const std::string& name) const;
    std::string queryValue(const std::string& name) const;
    std::string cookie(const std::string& name) const;
};

// The answer to one request: a whole body, or an event stream that the
// server sends from as events arrive until it is closed.
struct HttpResponse {
    int status = 200;
    std::string contentType = "text/plain; charset=utf-8";
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::shared_ptr<EventStream> stream;

    static HttpResponse text(int status, std::string body);
};

}  // namespace platform
