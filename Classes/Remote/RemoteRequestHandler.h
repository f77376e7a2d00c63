#pragma once

#include "Classes/Catalogue/CatalogueValues.h"
#include "Classes/Remote/FailureThrottle.h"
#include "Classes/Remote/RemotePairing.h"
#include "Classes/Search/SoundSearchIndex.h"
#include "Platform/Remote/HttpExchange.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace platform {
class EventStream;
}

// A file of the remote's page, read from the bundle once when the remote starts.
struct RemotePageFile {
    std::string contentType;
    std::string bytes;
};

// Everything the remote answers, decided without the network: the server hands
// each request here (on its own threads) and sends back what comes out.
//
// Rules, in order: a Host that is not one of this computer's names is refused
// (403); the pairing (GET /pair?key=SECRET) trades the secret for a session
// cookie; every other route needs that cookie (401 without); requests that
// change something (POST) must come from the page's own origin (403 else).
// Only the open board's sounds can be played, by audio number or by
// "category.row" position; the page's files are the ones given at start, so no
// path reaches the file system.
//
// Thread safety: every public member may be called from any thread. The
// actions are called on the server's threads; they must hand the work over to
// the main thread themselves.
class RemoteRequestHandler {
  public:
    struct Actions {
        std::function<void(const std::string& audioNumber)> play;
        std::function<void()> stopAll;
        std::function<void(int percent)> setVolume;
    };
    struct Settings {
        std::string secret;
        std::vector<std::string> hostNames;  // without ports
        std::uint16_t port = 0;
        std::map<std::string, RemotePageFile> files;  // by request path, "/" included
        Actions actions;
        std::function<double()> now;  // seconds on a steady clock
        // Sessions paired before (kept across restarts); the newest last.
        std::vector<RemoteSession> sessions;
        // Told of the secret and the sessions after every pairing and Forget
        // All, to keep them; called on the caller's thread, under the
        // handler's lock, so the calls come in the order of the changes.
        std::function<void(const RemotePairing&)> pairingChanged;
    };
    static constexpr std::size_t kSessionLimit = 32;
    static constexpr std::size_t kStreamLimit = 56;
    static constexpr const char* kCookieName = "soundboard_session";

    explicit RemoteRequestHandler(Settings settings);
    ~RemoteRequestHandler();
    RemoteRequestHandler(const RemoteRequestHandler&) = delete;
    RemoteRequestHandler& operator=(const RemoteRequestHandler&) = delete;

    platform::HttpResponse handle(const platform::HttpRequest& request);

    // The open board; every connected page receives it at once.
    void setBoard(std::string title, std::vector<CatalogueCategory> categories);
    // The sounds playing now (audio numbers) and the volume; sent to the
    // pages only when it differs from what they have.
    void setPlayState(std::set<std::string> playing, int volume);

    // The audio numbers of the board given last.
    std::set<std::string> boardNumbers() const;
    std::vector<PairedBrowser> pairedBrowsers() const;
    // Renews the secret and forgets every session, closing their event streams.
    void forgetAll(std::string newSecret);
    std::string secret() const;
    std::size_t streamCount() const;
    // Ends every event stream and refuses new ones (before the server stops,
    // so that its threads end and none starts waiting again).
    void closeStreams();

  private:
    platform::HttpResponse route(const platform::HttpRequest& request);
    platform::HttpResponse pair(const platform::HttpRequest& request);
    platform::HttpResponse play(const platform::HttpRequest& request);
    platform::HttpResponse search(const platform::HttpRequest& request);
    platform::HttpResponse events();
    bool hostAllowed(const std::string& host) const;
    bool originAllowed(const platform::HttpRequest& request) const;
    bool paired(const platform::HttpRequest& request) const;
    std::optional<std::string> soundFor(const std::string& sound,
                                        const std::string& position) const;
    std::string boardJsonLocked() const;
    std::string stateJsonLocked() const;
    void broadcastLocked(const std::string& name, const std::string& data);
    void pairingChangedLocked() const;

    Settings m_settings;
    mutable std::mutex m_mutex;
    FailureThrottle m_throttle;
    std::vector<RemoteSession> m_sessions;
    std::vector<std::weak_ptr<platform::EventStream>> m_streams;
    std::string m_title;
    std::vector<CatalogueCategory> m_categories;
    std::set<std::string> m_numbers;
    std::vector<std::string> m_searchNumbers;
    std::unique_ptr<SoundSearchIndex> m_searchIndex;
    std::set<std::string> m_playing;
    int m_volume = 100;
    bool m_closing = false;
};
