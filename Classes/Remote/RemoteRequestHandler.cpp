#include "RemoteRequestHandler.h"

#include "Classes/Remote/RemoteSecret.h"
#include "Platform/Remote/EventStream.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>

using platform::HttpRequest;
using platform::HttpResponse;

namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Headers every answer carries: nothing is cached (the page must never be
// shown from a cache once the pairing is forgotten), nothing is framed or
// sniffed, and no address leaks to another site.
void addCommonHeaders(HttpResponse& response) {
    response.headers.emplace_back("Cache-Control", "no-store");
    response.headers.emplace_back("X-Content-Type-Options", "nosniff");
    response.headers.emplace_back("X-Frame-Options", "DENY");
    response.headers.emplace_back("Referrer-Policy", "no-referrer");
    response.headers.emplace_back("Content-Security-Policy",
                                  "default-src 'self'; frame-ancestors 'none'; form-action 'self'");
}

HttpResponse html(int status, const std::string& title, const std::string& message) {
    HttpResponse response;
    response.status = status;
    response.contentType = "text/html; charset=utf-8";
    response.body =
        "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        "<title>" +
        title + "</title></head><body><h1>" + title + "</h1><p>" + message + "</p></body></html>\n";
    return response;
}

HttpResponse json(std::string body) {
    HttpResponse response;
    response.contentType = "application/json";
    response.body = std::move(body);
    return response;
}

HttpResponse noContent() {
    HttpResponse response;
    response.status = 204;
    return response;
}

std::string dumped(const nlohmann::json& value) {
    // Labels come from anyone's board: bad UTF-8 is replaced, never thrown on.
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<int> wholeNumber(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || text.empty()) return std::nullopt;
    return value;
}

}  // namespace

RemoteRequestHandler::RemoteRequestHandler(Settings settings) : m_settings(std::move(settings)) {
    for (std::string& name : m_settings.hostNames) name = lowered(name);
    if (!m_settings.now) m_settings.now = [] { return 0.0; };
    for (RemoteSession& session : m_settings.sessions) {
        if (!session.token.empty()) m_sessions.push_back(std::move(session));
    }
    m_settings.sessions.clear();
    if (m_sessions.size() > kSessionLimit) {
        m_sessions.erase(m_sessions.begin(),
                         m_sessions.end() - static_cast<std::ptrdiff_t>(kSessionLimit));
    }
}

RemoteRequestHandler::~RemoteRequestHandler() {
    closeStreams();
}

HttpResponse RemoteRequestHandler::handle(const HttpRequest& request) {
    HttpResponse response = route(request);
    addCommonHeaders(response);
    return response;
}

HttpResponse RemoteRequestHandler::route(const HttpRequest& request) {
    if (!hostAllowed(request.header("host"))) {
        return HttpResponse::text(403, "This address is not one of this computer's.\n");
    }
    if (!originAllowed(request)) {
        return HttpResponse::text(403, "Requests from other sites are refused.\n");
    }
    const std::string& path = request.path;
    const bool get = request.method == "GET" || request.method == "HEAD";
    if (path == "/pair") {
        return get ? pair(request) : HttpResponse::text(405, "Use GET.\n");
    }
    if (!paired(request)) {
        return html(401, "Soundboard remote",
                    "Scan the code shown in Soundboard (File, Remote Control) to pair this "
                    "browser.");
    }
    const bool post = request.method == "POST";
    if (path == "/api/play") {
        return post ? play(request) : HttpResponse::text(405, "Use POST.\n");
    }
    if (path == "/api/stop") {
        if (!post) return HttpResponse::text(405, "Use POST.\n");
        if (m_settings.actions.stopAll) m_settings.actions.stopAll();
        return noContent();
    }
    if (path == "/api/volume") {
        if (!post) return HttpResponse::text(405, "Use POST.\n");
        const std::optional<int> percent = wholeNumber(request.queryValue("percent"));
        if (!percent || *percent < 0 || *percent > 100) {
            return HttpResponse::text(400, "The volume is a whole number from 0 to 100.\n");
        }
        if (m_settings.actions.setVolume) m_settings.actions.setVolume(*percent);
        return noContent();
    }
    if (!get) return HttpResponse::text(405, "Use GET.\n");
    if (path == "/api/board") {
        std::lock_guard lock(m_mutex);
        return json(boardJsonLocked());
    }
    if (path == "/api/search") return search(request);
    if (path == "/api/events") return events();
    const auto file = m_settings.files.find(path);
    if (file == m_settings.files.end()) return HttpResponse::text(404, "Not found.\n");
    HttpResponse response;
    response.contentType = file->second.contentType;
    response.body = file->second.bytes;
    return response;
}

HttpResponse RemoteRequestHandler::pair(const HttpRequest& request) {
    const double now = m_settings.now();
    std::lock_guard lock(m_mutex);
    if (!m_throttle.allows(request.peer, now)) {
        HttpResponse response = HttpResponse::text(429, "Too many wrong tries; wait a moment.\n");
        response.headers.emplace_back("Retry-After", "60");
        return response;
    }
    if (!remote_secret::matches(request.queryValue("key"), m_settings.secret)) {
        m_throttle.failed(request.peer, now);
        return html(403, "Soundboard remote",
                    "This pairing code is not valid (any more). Scan the code shown in "
                    "Soundboard again.");
    }
    m_throttle.succeeded(request.peer);
    std::string token = remote_secret::randomHex(remote_secret::kSessionBytes);
    if (token.empty()) return HttpResponse::text(503, "No random numbers to pair with.\n");
    if (m_sessions.size() >= kSessionLimit) m_sessions.erase(m_sessions.begin());
    m_sessions.push_back({token, {request.peer, request.header("user-agent").substr(0, 200)}});
    pairingChangedLocked();
    HttpResponse response;
    response.status = 303;
    response.headers.emplace_back("Location", "/");
    response.headers.emplace_back("Set-Cookie",
                                  std::string(kCookieName) + "=" + token +
                                      "; Path=/; HttpOnly; SameSite=Strict; Max-Age=31536000");
    return response;
}

HttpResponse RemoteRequestHandler::play(const HttpRequest& request) {
    std::optional<std::string> number;
    {
        std::lock_guard lock(m_mutex);
        number = soundFor(request.queryValue("sound"), request.queryValue("position"));
    }
    if (!number) return HttpResponse::text(404, "The open board has no such sound.\n");
    if (m_settings.actions.play) m_settings.actions.play(*number);
    return noContent();
}

HttpResponse RemoteRequestHandler::search(const HttpRequest& request) {
    std::lock_guard lock(m_mutex);
    nlohmann::json found = nlohmann::json::array();
    if (m_searchIndex) {
        for (const std::size_t position : m_searchIndex->search(request.queryValue("q"))) {
            if (position < m_searchNumbers.size()) found.push_back(m_searchNumbers[position]);
        }
    }
    return json(dumped(found));
}

HttpResponse RemoteRequestHandler::events() {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_streams, [](const auto& stream) {
        const auto alive = stream.lock();
        return !alive || alive->isClosed();
    });
    if (m_closing) return HttpResponse::text(503, "The remote is switching off.\n");
    if (m_streams.size() >= kStreamLimit) {
        return HttpResponse::text(503, "Too many pages are connected.\n");
    }
    auto stream = std::make_shared<platform::EventStream>();
    stream->push("board", boardJsonLocked());
    stream->push("state", stateJsonLocked());
    m_streams.push_back(stream);
    HttpResponse response;
    response.contentType = "text/event-stream";
    response.stream = std::move(stream);
    return response;
}

bool RemoteRequestHandler::hostAllowed(const std::string& host) const {
    if (host.empty()) return false;
    std::string name = host;
    std::optional<std::string> port;
    if (host.front() == '[') {
        const std::size_t close = host.find(']');
        if (close == std::string::npos) return false;
        name = host.substr(0, close + 1);
        const std::string rest = host.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return false;
            port = rest.substr(1);
        }
    } else if (const std::size_t colon = host.find(':'); colon != std::string::npos) {
        // A bare IPv6 address (colons without brackets) is no valid Host.
        if (host.find(':', colon + 1) != std::string::npos) return false;
        name = host.substr(0, colon);
        port = host.substr(colon + 1);
    }
    if (port) {
        const std::optional<int> number = wholeNumber(*port);
        if (!number || *number != m_settings.port) return false;
    }
    const std::string wanted = lowered(name);
    return std::find(m_settings.hostNames.begin(), m_settings.hostNames.end(), wanted) !=
           m_settings.hostNames.end();
}

bool RemoteRequestHandler::originAllowed(const HttpRequest& request) const {
    const auto origin = request.headers.find("origin");
    const bool changes = request.method != "GET" && request.method != "HEAD";
    if (origin == request.headers.end()) return !changes;
    return lowered(origin->second) == "http://" + lowered(request.header("host"));
}

bool RemoteRequestHandler::paired(const HttpRequest& request) const {
    const std::string token = request.cookie(kCookieName);
    if (token.empty()) return false;
    std::lock_guard lock(m_mutex);
    bool found = false;
    // Every session is compared, so the time taken does not tell which one matched.
    for (const RemoteSession& session : m_sessions) {
        found = remote_secret::matches(token, session.token) || found;
    }
    return found;
}

std::optional<std::string> RemoteRequestHandler::soundFor(const std::string& sound,
                                                          const std::string& position) const {
    if (!sound.empty()) {
        if (m_numbers.find(sound) == m_numbers.end()) return std::nullopt;
        return sound;
    }
    const std::size_t dot = position.find('.');
    if (dot == std::string::npos) return std::nullopt;
    const std::optional<int> section = wholeNumber(position.substr(0, dot));
    const std::optional<int> row = wholeNumber(position.substr(dot + 1));
    if (!section || !row || *section < 0 || *row < 0) return std::nullopt;
    const auto sectionIndex = static_cast<std::size_t>(*section);
    const auto rowIndex = static_cast<std::size_t>(*row);
    if (sectionIndex >= m_categories.size()) return std::nullopt;
    const auto& sounds = m_categories[sectionIndex].sounds;
    if (rowIndex >= sounds.size() || sounds[rowIndex].audioNumber.empty()) return std::nullopt;
    return sounds[rowIndex].audioNumber;
}

void RemoteRequestHandler::setBoard(std::string title, std::vector<CatalogueCategory> categories) {
    std::lock_guard lock(m_mutex);
    m_title = std::move(title);
    m_categories = std::move(categories);
    m_numbers.clear();
    m_searchNumbers.clear();
    std::vector<std::string> labels;
    for (const CatalogueCategory& category : m_categories) {
        for (const CatalogueSound& sound : category.sounds) {
            if (sound.audioNumber.empty()) continue;
            m_numbers.insert(sound.audioNumber);
            m_searchNumbers.push_back(sound.audioNumber);
            labels.push_back(sound.label);
        }
    }
    m_searchIndex = std::make_unique<SoundSearchIndex>(labels);
    broadcastLocked("board", boardJsonLocked());
}

void RemoteRequestHandler::setPlayState(std::set<std::string> playing, int volume) {
    std::lock_guard lock(m_mutex);
    if (playing == m_playing && volume == m_volume) return;
    m_playing = std::move(playing);
    m_volume = volume;
    broadcastLocked("state", stateJsonLocked());
}

std::string RemoteRequestHandler::boardJsonLocked() const {
    nlohmann::json categories = nlohmann::json::array();
    for (const CatalogueCategory& category : m_categories) {
        nlohmann::json sounds = nlohmann::json::array();
        for (const CatalogueSound& sound : category.sounds) {
            sounds.push_back({{"number", sound.audioNumber}, {"label", sound.label}});
        }
        categories.push_back({{"title", category.title}, {"sounds", std::move(sounds)}});
    }
    return dumped({{"title", m_title}, {"categories", std::move(categories)}});
}

std::string RemoteRequestHandler::stateJsonLocked() const {
    nlohmann::json playing = nlohmann::json::array();
    for (const std::string& number : m_playing) playing.push_back(number);
    return dumped({{"playing", std::move(playing)}, {"volume", m_volume}});
}

void RemoteRequestHandler::broadcastLocked(const std::string& name, const std::string& data) {
    for (const auto& weak : m_streams) {
        if (const auto stream = weak.lock()) stream->push(name, data);
    }
}

void RemoteRequestHandler::pairingChangedLocked() const {
    if (m_settings.pairingChanged) m_settings.pairingChanged({m_settings.secret, m_sessions});
}

std::set<std::string> RemoteRequestHandler::boardNumbers() const {
    std::lock_guard lock(m_mutex);
    return m_numbers;
}

std::vector<PairedBrowser> RemoteRequestHandler::pairedBrowsers() const {
    std::lock_guard lock(m_mutex);
    std::vector<PairedBrowser> browsers;
    for (const RemoteSession& session : m_sessions) browsers.push_back(session.browser);
    return browsers;
}

void RemoteRequestHandler::forgetAll(std::string newSecret) {
    std::lock_guard lock(m_mutex);
    m_settings.secret = std::move(newSecret);
    m_sessions.clear();
    pairingChangedLocked();
    for (const auto& weak : m_streams) {
        if (const auto stream = weak.lock()) stream->close();
    }
    m_streams.clear();
}

std::string RemoteRequestHandler::secret() const {
    std::lock_guard lock(m_mutex);
    return m_settings.secret;
}

std::size_t RemoteRequestHandler::streamCount() const {
    std::lock_guard lock(m_mutex);
    std::size_t count = 0;
    for (const auto& weak : m_streams) {
        if (const auto stream = weak.lock(); stream && !stream->isClosed()) ++count;
    }
    return count;
}

void RemoteRequestHandler::closeStreams() {
    std::lock_guard lock(m_mutex);
    m_closing = true;
    for (const auto& weak : m_streams) {
        if (const auto stream = weak.lock()) stream->close();
    }
    m_streams.clear();
}
