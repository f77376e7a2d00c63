#include "Classes/Remote/RemoteControl.h"

#include "Classes/BoardSoundPlayer.h"
#include "Classes/Catalogue/Catalogue.h"
#include "Classes/CommandNames.h"
#include "Classes/Desktop/DesktopPreferences.h"
#include "Classes/PeltoAppDelegate.h"
#include "Classes/Remote/RemotePairing.h"
#include "Classes/Remote/RemoteSecret.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Remote/HttpServer.h"
#include "Platform/Remote/LocalAddresses.h"
#include "Platform/UI/Application.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace {

constexpr std::string_view kOnKey = "RemoteControlOn";
constexpr std::string_view kPortKey = "RemoteControlPort";
// How often the board and the play state are looked at; pages hear of a
// change only when there is one.
constexpr double kTickSeconds = 0.2;
// The page's files are small; a bigger one is not the page.
constexpr std::uintmax_t kPageFileLimit = 256 * 1024;

std::shared_ptr<const platform::Bundle> applicationBundle() {
    auto bundle = platform::Bundle::mainBundle();
    if (bundle && bundle->applicationBundle()) return bundle->applicationBundle();
    return bundle;
}

// The page's files from the application's own bundle (never a board's, so a
// board cannot put its own script into the page), read once.
std::map<std::string, RemotePageFile> pageFiles() {
    std::map<std::string, RemotePageFile> files;
    const auto bundle = applicationBundle();
    if (!bundle) return files;
    const std::filesystem::path folder = bundle->bundlePath() / "Remote";
    const struct {
        const char* path;
        const char* file;
        const char* type;
    } kFiles[] = {
        {"/", "index.html", "text/html; charset=utf-8"},
        {"/remote.css", "remote.css", "text/css; charset=utf-8"},
        {"/remote.js", "remote.js", "text/javascript; charset=utf-8"},
        {"/icon.svg", "icon.svg", "image/svg+xml"},
    };
    for (const auto& entry : kFiles) {
        const std::filesystem::path path = folder / entry.file;
        std::error_code error;
        const auto size = std::filesystem::file_size(path, error);
        if (error || size > kPageFileLimit) continue;
        std::ifstream in(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in.bad()) continue;
        files[entry.path] = {entry.type, std::move(bytes)};
    }
    return files;
}

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void onMainThread(std::function<void()> work) {
    platform::RunLoop::main().post(std::move(work));
}

const BoardSoundPlayer* soundPlayer() {
    auto* delegate =
        dynamic_cast<PeltoAppDelegate*>(platform::Application::sharedApplication().delegate());
    return delegate == nullptr ? nullptr : &delegate->soundPlayer();
}

}  // namespace

RemoteControl& RemoteControl::shared() {
    static RemoteControl control;
    return control;
}

RemoteControl::~RemoteControl() {
    stop();
}

bool RemoteControl::rememberedOn() {
    DesktopPreferences preferences;
    return preferences.store().boolForKey(kOnKey);
}

void RemoteControl::rememberOn(bool on) {
    DesktopPreferences preferences;
    preferences.store().setBool(on, kOnKey);
    preferences.synchronize();
}

bool RemoteControl::start() {
    if (isRunning()) return true;
    std::map<std::string, RemotePageFile> files = pageFiles();
    if (files.find("/") == files.end()) {
        platform::Log("Remote control: the page is missing from the bundle");
        return false;
    }
    // The pairing of the last run, else a new secret, kept at once so that
    // the address shown now still pairs after a restart.
    std::optional<RemotePairing> kept = RemotePairing::load(pairingFile());
    if (!kept) {
        kept = RemotePairing{remote_secret::randomHex(remote_secret::kSecretBytes), {}};
        if (kept->secret.empty()) return false;
        if (!kept->save(pairingFile())) {
            platform::Log(
                "Remote control: the pairing cannot be kept; it lasts until the "
                "program ends");
        }
    }

    DesktopPreferences preferences;
    std::uint16_t wanted = 0;
    if (const auto kept = preferences.store().objectForKey(kPortKey)) {
        if (const auto* number = kept->get<std::int64_t>();
            number && *number > 0 && *number < 65536) {
            wanted = static_cast<std::uint16_t>(*number);
        }
    }

    RemoteRequestHandler::Settings settings;
    settings.secret = std::move(kept->secret);
    settings.sessions = std::move(kept->sessions);
    settings.pairingChanged = [](const RemotePairing& pairing) {
        if (!pairing.save(pairingFile())) {
            platform::Log("Remote control: the pairing cannot be kept for the next start");
        }
    };
    settings.files = std::move(files);
    settings.now = steadySeconds;
    settings.actions.play = [](const std::string& number) {
        onMainThread([number] {
            platform::Application::sharedApplication().sendCommand(command_names::kPlaySound,
                                                                   number);
            RemoteControl::shared().refresh();
        });
    };
    settings.actions.stopAll = [] {
        onMainThread([] {
            platform::Application::sharedApplication().sendCommand(command_names::kStopAllSounds,
                                                                   "");
            RemoteControl::shared().refresh();
        });
    };
    settings.actions.setVolume = [](int percent) {
        onMainThread([percent] {
            platform::setSystemSoundVolume(percent);
            platform::setSystemSoundMuted(false);
            DesktopPreferences kept;
            kept.setVolume(platform::systemSoundVolume());
            kept.setMuted(false);
            RemoteControl::shared().refresh();
        });
    };
    // The handler must know the port before the first request, and the port
    // is known once the server listens: the server's handler reaches the
    // request handler through this holder, filled in right after.
    auto holder = std::make_shared<RemoteRequestHandler*>(nullptr);
    m_server = platform::HttpServer::start(wanted, [holder](const platform::HttpRequest& request) {
        RemoteRequestHandler* handler = *holder;
        if (handler == nullptr) return platform::HttpResponse::text(503, "Starting.\n");
        return handler->handle(request);
    });
    if (!m_server) {
        platform::Log("Remote control: no port to listen on");
        return false;
    }
    settings.port = m_server->port();
    settings.hostNames = platform::localHostNames();
    m_handler = std::make_unique<RemoteRequestHandler>(std::move(settings));
    *holder = m_handler.get();
    // The first port chosen stays the installation's; when it is taken this
    // time, the one used instead is shown but not kept.
    if (wanted == 0) {
        preferences.store().setObject(static_cast<std::int64_t>(m_server->port()), kPortKey);
        preferences.synchronize();
    }
    m_boardKey.clear();
    refresh();
    scheduleTick();
    return true;
}

void RemoteControl::stop() {
    if (m_tick) m_tick->invalidate();
    m_tick.reset();
    if (m_handler) m_handler->closeStreams();
    // The server's threads are gone once it is; only then may the handler go.
    m_server.reset();
    m_handler.reset();
}

std::filesystem::path RemoteControl::pairingFile() {
    return DesktopPreferences::file().parent_path() / "remote-pairing.json";
}

std::uint16_t RemoteControl::port() const {
    return m_server ? m_server->port() : 0;
}

std::string RemoteControl::pairingAddress() const {
    if (!m_server || !m_handler) return {};
    return "http://" + platform::preferredLocalAddress() + ":" + std::to_string(port()) +
           "/pair?key=" + m_handler->secret();
}

std::vector<PairedBrowser> RemoteControl::pairedBrowsers() const {
    return m_handler ? m_handler->pairedBrowsers() : std::vector<PairedBrowser>{};
}

void RemoteControl::forgetAll() {
    if (!m_handler) return;
    std::string secret = remote_secret::randomHex(remote_secret::kSecretBytes);
    if (!secret.empty()) m_handler->forgetAll(std::move(secret));
}

void RemoteControl::scheduleTick() {
    m_tick = platform::RunLoop::main().scheduleTimer(kTickSeconds, [] {
        RemoteControl& control = RemoteControl::shared();
        if (!control.isRunning()) return;
        control.refresh();
        control.scheduleTick();
    });
}

void RemoteControl::refresh() {
    if (!m_handler) return;
    const auto bundle = platform::Bundle::mainBundle();
    std::string key;
    std::optional<std::string> catalogue;
    if (bundle) {
        catalogue = bundle->pathForResource("Data", "XML");
        key = bundle->bundlePath().string();
        if (catalogue) {
            std::error_code error;
            const auto written = std::filesystem::last_write_time(*catalogue, error);
            const auto size = std::filesystem::file_size(*catalogue, error);
            key += "\n" + std::to_string(written.time_since_epoch().count()) + "\n" +
                   std::to_string(size);
        }
    }
    std::vector<CatalogueCategory> categories;
    if (key != m_boardKey) {
        m_boardKey = key;
        categories = Catalogue::categories(Catalogue::loadDocument());
        m_handler->setBoard(bundle ? bundle->bundleName() : std::string(), categories);
    }
    // Whatever sounds on the computer, not only what the phone started: a
    // play page's button, a pad, a hotkey and another program all show.
    std::set<std::string> playing;
    if (const BoardSoundPlayer* player = soundPlayer()) {
        const std::set<std::string> listed = m_handler->boardNumbers();
        for (const std::string& number : player->playingNumbers()) {
            if (listed.count(number) != 0) playing.insert(number);
        }
    }
    m_handler->setPlayState(std::move(playing),
                            platform::isSystemSoundMuted() ? 0 : platform::systemSoundVolume());
}
