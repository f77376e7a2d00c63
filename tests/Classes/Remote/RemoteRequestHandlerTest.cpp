// The remote's request handler alone: who gets in, what can be played, and
// what the page is sent.

#include "Classes/Remote/RemoteRequestHandler.h"
#include "Platform/Remote/EventStream.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

using platform::HttpRequest;
using platform::HttpResponse;

namespace {

const std::string kSecret = "00112233445566778899aabbccddeeff";
constexpr std::uint16_t kPort = 8765;
const std::string kHost = "192.168.1.20:8765";

struct Fixture {
    std::vector<std::string> played;
    int stops = 0;
    std::vector<int> volumes;
    double now = 0.0;
    RemoteRequestHandler handler{settings()};

    RemoteRequestHandler::Settings settings() {
        RemoteRequestHandler::Settings s;
        s.secret = kSecret;
        s.hostNames = {"localhost", "127.0.0.1", "192.168.1.20", "[::1]", "studio.local"};
        s.port = kPort;
        s.files = {{"/", {"text/html", "<main>page</main>"}},
                   {"/remote.js", {"text/javascript", "go()"}}};
        s.actions.play = [this](const std::string& number) { played.push_back(number); };
        s.actions.stopAll = [this] { ++stops; };
        s.actions.setVolume = [this](int percent) { volumes.push_back(percent); };
        s.now = [this] { return now; };
        return s;
    }

    Fixture() {
        handler.setBoard("Party", {{"Horns", {{"1", "Air Horn"}, {"2", "Éclair"}}},
                                   {"Whistles", {{"7", "Referee Whistle"}}}});
    }

    static HttpRequest request(std::string method, std::string path) {
        HttpRequest r;
        r.method = std::move(method);
        r.path = std::move(path);
        r.headers["host"] = kHost;
        r.peer = "192.168.1.30";
        if (r.method == "POST") r.headers["origin"] = "http://" + kHost;
        return r;
    }

    // Pairs and returns the session cookie's value.
    std::string pair() {
        HttpRequest r = request("GET", "/pair");
        r.query["key"] = kSecret;
        const HttpResponse answer = handler.handle(r);
        EXPECT_EQ(answer.status, 303);
        for (const auto& [name, value] : answer.headers) {
            if (name != "Set-Cookie") continue;
            const std::size_t start = value.find('=') + 1;
            return value.substr(start, value.find(';') - start);
        }
        return {};
    }
};

std::string headerOf(const HttpResponse& response, const std::string& name) {
    for (const auto& [key, value] : response.headers) {
        if (key == name) return value;
    }
    return {};
}

TEST(RemoteRequestHandler, RefusesWhatIsNotPairedOrNotOurs) {
    struct Case {
        const char* what;
        const char* method;
        const char* path;
        const char* host;    // nullptr: the right one
        const char* origin;  // nullptr: the right one for POST, none for GET
        bool withSession;
        int status;
    };
    const Case cases[] = {
        {"page without pairing", "GET", "/", nullptr, nullptr, false, 401},
        {"script without pairing", "GET", "/remote.js", nullptr, nullptr, false, 401},
        {"board without pairing", "GET", "/api/board", nullptr, nullptr, false, 401},
        {"events without pairing", "GET", "/api/events", nullptr, nullptr, false, 401},
        {"play without pairing", "POST", "/api/play", nullptr, nullptr, false, 401},
        {"stop without pairing", "POST", "/api/stop", nullptr, nullptr, false, 401},
        {"unknown route without pairing", "GET", "/etc/passwd", nullptr, nullptr, false, 401},
        {"rebinding name", "GET", "/", "evil.example:8765", nullptr, true, 403},
        {"rebinding name on pairing", "GET", "/pair", "evil.example", nullptr, false, 403},
        {"our name on another port", "GET", "/", "localhost:80", nullptr, true, 403},
        {"no host", "GET", "/", "", nullptr, true, 403},
        {"bare IPv6 host", "GET", "/", "::1", nullptr, true, 403},
        {"foreign origin on play", "POST", "/api/play", nullptr, "http://evil.example", true, 403},
        {"foreign origin on events", "GET", "/api/events", nullptr, "http://evil.example", true,
         403},
        {"missing origin on stop", "POST", "/api/stop", nullptr, "", true, 403},
        {"dot-dot path", "GET", "/../Data.xml", nullptr, nullptr, true, 404},
        {"decoded %2e%2e path", "GET", "/remote/../../etc/passwd", nullptr, nullptr, true, 404},
        {"undecoded %2e%2e path", "GET", "/%2e%2e/Data.xml", nullptr, nullptr, true, 404},
        {"unknown sound", "POST", "/api/play", nullptr, nullptr, true, 404},
        {"play by GET", "GET", "/api/play", nullptr, nullptr, true, 405},
        {"page by POST", "POST", "/", nullptr, nullptr, true, 405},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        const std::string cookie = f.pair();
        HttpRequest r = Fixture::request(c.method, c.path);
        if (c.host != nullptr) r.headers["host"] = c.host;
        if (c.origin != nullptr) {
            if (*c.origin == '\0') {
                r.headers.erase("origin");
            } else {
                r.headers["origin"] = c.origin;
            }
        }
        if (c.withSession) r.cookies[RemoteRequestHandler::kCookieName] = cookie;
        r.query["sound"] = "999";
        EXPECT_EQ(f.handler.handle(r).status, c.status);
        EXPECT_TRUE(f.played.empty());
        EXPECT_EQ(f.stops, 0);
    }
}

TEST(RemoteRequestHandler, PairingGivesAStrictCookieThatPlaysTheOpenBoard) {
    Fixture f;
    HttpRequest pairing = Fixture::request("GET", "/pair");
    pairing.query["key"] = kSecret;
    const HttpResponse paired = f.handler.handle(pairing);
    ASSERT_EQ(paired.status, 303);
    EXPECT_EQ(headerOf(paired, "Location"), "/");
    const std::string cookie = headerOf(paired, "Set-Cookie");
    EXPECT_NE(cookie.find("HttpOnly"), std::string::npos);
    EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos);
    EXPECT_EQ(cookie.find(kSecret), std::string::npos) << "the cookie is not the secret";

    const std::string token = cookie.substr(cookie.find('=') + 1, 64);
    const auto withSession = [&](const char* method, const char* path) {
        HttpRequest r = Fixture::request(method, path);
        r.cookies[RemoteRequestHandler::kCookieName] = token;
        return r;
    };
    HttpRequest byNumber = withSession("POST", "/api/play");
    byNumber.query["sound"] = "7";
    EXPECT_EQ(f.handler.handle(byNumber).status, 204);
    HttpRequest byPosition = withSession("POST", "/api/play");
    byPosition.query["position"] = "0.1";
    EXPECT_EQ(f.handler.handle(byPosition).status, 204);
    HttpRequest pastTheEnd = withSession("POST", "/api/play");
    pastTheEnd.query["position"] = "1.1";
    EXPECT_EQ(f.handler.handle(pastTheEnd).status, 404);
    EXPECT_EQ(f.played, (std::vector<std::string>{"7", "2"}));

    EXPECT_EQ(f.handler.handle(withSession("POST", "/api/stop")).status, 204);
    EXPECT_EQ(f.stops, 1);
    for (const char* percent : {"40", "101", "-1", "4x", ""}) {
        HttpRequest volume = withSession("POST", "/api/volume");
        volume.query["percent"] = percent;
        f.handler.handle(volume);
    }
    EXPECT_EQ(f.volumes, std::vector<int>{40});

    const HttpResponse page = f.handler.handle(withSession("GET", "/"));
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.body, "<main>page</main>");
    const HttpResponse board = f.handler.handle(withSession("GET", "/api/board"));
    EXPECT_NE(board.body.find("\"Whistles\""), std::string::npos);
    EXPECT_NE(board.body.find("\"Referee Whistle\""), std::string::npos);

    // The search folds case and accents as Find Sound does.
    HttpRequest search = withSession("GET", "/api/search");
    search.query["q"] = "ECL";
    EXPECT_EQ(f.handler.handle(search).body, "[\"2\"]");
    ASSERT_EQ(f.handler.pairedBrowsers().size(), 1u);
    EXPECT_EQ(f.handler.pairedBrowsers()[0].address, "192.168.1.30");

    // Forget All: the old cookie and the old secret no longer work.
    f.handler.forgetAll("ffeeddccbbaa99887766554433221100");
    EXPECT_EQ(f.handler.handle(withSession("GET", "/")).status, 401);
    EXPECT_EQ(f.handler.handle(pairing).status, 403);
    EXPECT_TRUE(f.handler.pairedBrowsers().empty());
}

TEST(RemoteRequestHandler, WrongSecretsFromOneAddressAreSlowedDown) {
    Fixture f;
    HttpRequest wrong = Fixture::request("GET", "/pair");
    wrong.query["key"] = "00112233445566778899aabbccddeefe";
    for (int attempt = 0; attempt < FailureThrottle::kFreeFailures; ++attempt) {
        EXPECT_EQ(f.handler.handle(wrong).status, 403);
    }
    HttpRequest right = Fixture::request("GET", "/pair");
    right.query["key"] = kSecret;
    EXPECT_EQ(f.handler.handle(right).status, 429) << "even the right secret waits";
    HttpRequest elsewhere = right;
    elsewhere.peer = "192.168.1.31";
    EXPECT_EQ(f.handler.handle(elsewhere).status, 303) << "other addresses are not held up";
    f.now += 1.5;
    EXPECT_EQ(f.handler.handle(right).status, 303);
}

TEST(RemoteRequestHandler, EventStreamsStartWithTheBoardAndFollowChanges) {
    Fixture f;
    HttpRequest events = Fixture::request("GET", "/api/events");
    events.cookies[RemoteRequestHandler::kCookieName] = f.pair();
    const HttpResponse answer = f.handler.handle(events);
    ASSERT_EQ(answer.status, 200);
    EXPECT_EQ(answer.contentType, "text/event-stream");
    ASSERT_TRUE(answer.stream);
    const auto readAll = [&] {
        return answer.stream->read(1 << 20, std::chrono::milliseconds(0)).value_or("");
    };
    const std::string first = readAll();
    EXPECT_EQ(first.rfind("event: board\ndata: {", 0), 0u) << first;
    EXPECT_NE(first.find("event: state\n"), std::string::npos);

    f.handler.setPlayState({"7"}, 80);
    EXPECT_EQ(readAll(), "event: state\ndata: {\"playing\":[\"7\"],\"volume\":80}\n\n");
    f.handler.setPlayState({"7"}, 80);
    EXPECT_EQ(readAll(), "") << "nothing is sent when nothing changed";
    f.handler.setBoard("Party", {{"New", {{"9", "Dropped In"}}}});
    EXPECT_NE(readAll().find("Dropped In"), std::string::npos);
    EXPECT_EQ(f.handler.streamCount(), 1u);
    f.handler.forgetAll("ffeeddccbbaa99887766554433221100");
    EXPECT_FALSE(answer.stream->read(16, std::chrono::milliseconds(0)).has_value());

    // While the server stops, no new stream may start waiting.
    Fixture stopping;
    events.cookies[RemoteRequestHandler::kCookieName] = stopping.pair();
    stopping.handler.closeStreams();
    EXPECT_EQ(stopping.handler.handle(events).status, 503);
}

}  // namespace
