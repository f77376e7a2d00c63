#include "HttpExchange.h"

namespace platform {
namespace {

std::string lookUp(const std::map<std::string, std::string>& values, const std::string& name) {
    const auto found = values.find(name);
    return found == values.end() ? std::string() : found->second;
}

}  // namespace

std::string HttpRequest::header(const std::string& name) const {
    return lookUp(headers, name);
}

std::string HttpRequest::queryValue(const std::string& name) const {
    return lookUp(query, name);
}

std::string HttpRequest::cookie(const std::string& name) const {
    return lookUp(cookies, name);
}

HttpResponse HttpResponse::text(int status, std::string body) {
    HttpResponse response;
    response.status = status;
    response.body = std::move(body);
    return response;
}

}  // namespace platform
