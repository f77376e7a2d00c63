// The remote's request handler, given any request a browser or anyone on the
// network could send: "METHOD PATH?QUERY" on the first line, "name: value"
// headers, a blank line, the body. A header "cookie: paired" stands for the
// session of a browser that paired first. Whatever comes in, the answer is a
// real status, nothing plays without the pairing, and only the board's own
// sounds ever play.
#include "Classes/Remote/RemoteRequestHandler.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

const std::string kSecret = "0123456789abcdef0123456789abcdef";

void addQuery(platform::HttpRequest& request, std::string_view query) {
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        const std::size_t equals = pair.find('=');
        request.query.emplace(std::string(pair.substr(0, equals)),
                              equals == std::string_view::npos
                                  ? std::string()
                                  : std::string(pair.substr(equals + 1)));
        if (amp == std::string_view::npos) break;
        query.remove_prefix(amp + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    int plays = 0;
    bool playedForeign = false;
    RemoteRequestHandler::Settings settings;
    settings.secret = kSecret;
    settings.hostNames = {"localhost", "127.0.0.1", "[::1]"};
    settings.port = 8000;
    settings.files = {{"/", {"text/html", "<p>page</p>"}}};
    settings.actions.play = [&](const std::string& number) {
        ++plays;
        if (number != "1" && number != "2") playedForeign = true;
    };
    settings.actions.stopAll = [&] { ++plays; };
    settings.actions.setVolume = [&](int percent) {
        ++plays;
        if (percent < 0 || percent > 100) std::abort();
    };
    RemoteRequestHandler handler(settings);
    handler.setBoard("Board", {{"A", {{"1", "One"}, {"2", "Two"}}}});

    platform::HttpRequest pairing;
    pairing.method = "GET";
    pairing.path = "/pair";
    pairing.headers["host"] = "localhost:8000";
    pairing.query["key"] = kSecret;
    const platform::HttpResponse paired = handler.handle(pairing);
    std::string session;
    for (const auto& [name, value] : paired.headers) {
        if (name == "Set-Cookie") session = value.substr(value.find('=') + 1, 64);
    }

    platform::HttpRequest request;
    request.peer = "127.0.0.1";
    const std::size_t blank = input.find("\n\n");
    const std::string_view head = input.substr(0, blank);
    if (blank != std::string_view::npos) request.body = std::string(input.substr(blank + 2));
    std::size_t start = 0;
    bool first = true;
    bool withSession = false;
    while (start <= head.size()) {
        const std::size_t end = std::min(head.find('\n', start), head.size());
        const std::string_view line = head.substr(start, end - start);
        if (first) {
            const std::size_t space = line.find(' ');
            request.method = std::string(line.substr(0, space));
            std::string_view target =
                space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
            const std::size_t question = target.find('?');
            request.path = std::string(target.substr(0, question));
            if (question != std::string_view::npos) addQuery(request, target.substr(question + 1));
            first = false;
        } else if (const std::size_t colon = line.find(':'); colon != std::string_view::npos) {
            std::string name(line.substr(0, colon));
            std::string value(line.substr(colon + 1));
            if (!value.empty() && value.front() == ' ') value.erase(0, 1);
            if (name == "cookie" && value == "paired") {
                request.cookies[RemoteRequestHandler::kCookieName] = session;
                withSession = true;
            } else if (name == "cookie") {
                request.cookies[RemoteRequestHandler::kCookieName] = value;
            } else {
                request.headers.emplace(std::move(name), std::move(value));
            }
        }
        start = end + 1;
    }

    const platform::HttpResponse answer = handler.handle(request);
    if (answer.status < 200 || answer.status > 599) std::abort();
    if (playedForeign) std::abort();
    if (!withSession && plays != 0) std::abort();
    if (!withSession && request.path != "/pair" && answer.status != 401 && answer.status != 403 &&
        answer.status != 405) {
        std::abort();
    }
    return 0;
}
