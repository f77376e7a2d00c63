// The remote on the loopback, as a phone's page uses it:
//  - a tap (the page's POST) to the sound's first mix in the mixer, through the
//    request handler and a main-thread run loop, as in the program;
//  - the page's weight (all its files) and its first load;
//  - the process's CPU while 50 paired pages are connected and idle.
// Run with SDL_AUDIODRIVER=dummy (scripts/run-benchmarks sets it).

#include "Classes/Remote/RemoteRequestHandler.h"
#include "Platform/Audio/AudioDiagnostics.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Remote/HttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
const std::string kSecret = "00112233445566778899aabbccddeeff";

std::filesystem::path bundleFolder() {
    const char* bundle = std::getenv("SOUNDBOARD_BUNDLE");
    return bundle != nullptr && *bundle != '\0' ? bundle : SOUNDBOARD_SOURCE_BUNDLE_DIR;
}

// From `source` when given (an address of the loopback's 127/8): the server
// takes only so many connections from one address, and fifty pages are fifty
// phones.
platform::FileDescriptor connectTo(std::uint16_t port, std::uint32_t source = 0) {
    platform::FileDescriptor socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const int on = 1;
    setsockopt(socket.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (source != 0) {
        sockaddr_in from{};
        from.sin_family = AF_INET;
        from.sin_addr.s_addr = htonl(source);
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

void sendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count <= 0) return;
        sent += static_cast<std::size_t>(count);
    }
}

// One whole answer with a Content-Length body (what the handler sends but for streams).
std::string readAnswer(int fd) {
    std::string got;
    char buffer[16384];
    while (true) {
        const std::size_t end = got.find("\r\n\r\n");
        if (end != std::string::npos) {
            std::size_t length = 0;
            const std::size_t at = got.find("Content-Length: ");
            if (at != std::string::npos && at < end) length = std::stoul(got.substr(at + 16));
            if (got.size() >= end + 4 + length) return got;
        }
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, 5000) <= 0) return got;
        const ssize_t count = ::recv(fd, buffer, sizeof buffer, 0);
        if (count <= 0) return got;
        got.append(buffer, static_cast<std::size_t>(count));
    }
}

double percentile(const std::vector<double>& sorted, double fraction) {
    const auto rank = static_cast<std::size_t>(fraction * double(sorted.size() - 1) + 0.5);
    return sorted[std::min(rank, sorted.size() - 1)];
}

std::map<std::string, RemotePageFile> pageFiles() {
    std::map<std::string, RemotePageFile> files;
    for (const auto& [path, name] : {std::pair{"/", "index.html"},
                                     {"/remote.css", "remote.css"},
                                     {"/remote.js", "remote.js"}}) {
        std::ifstream in(bundleFolder() / "Remote" / name, std::ios::binary);
        files[path] = {"text/plain", std::string(std::istreambuf_iterator<char>(in),
                                                 std::istreambuf_iterator<char>())};
    }
    return files;
}

// The program's arrangement: the server's threads, a main run loop that plays.
struct Remote {
    platform::RunLoop loop;
    std::thread mainThread;
    std::unique_ptr<RemoteRequestHandler> handler;
    std::unique_ptr<platform::HttpServer> server;
    platform::SystemSoundID sound = 0;
    std::string cookie;

    Remote() {
        const auto path = bundleFolder() / "010.aiff";
        platform::AudioServicesCreateSystemSoundID(platform::URL::fileURLWithPath(path.string()),
                                                   &sound);
        mainThread = std::thread([this] { loop.run(); });
        server = platform::HttpServer::start(
            0, [this](const platform::HttpRequest& request) { return handler->handle(request); });
        RemoteRequestHandler::Settings settings;
        settings.secret = kSecret;
        settings.hostNames = {"127.0.0.1"};
        settings.port = server->port();
        settings.files = pageFiles();
        settings.actions.play = [this](const std::string&) {
            loop.post([id = sound] { platform::AudioServicesPlaySystemSound(id); });
        };
        handler = std::make_unique<RemoteRequestHandler>(std::move(settings));
        handler->setBoard("Board", {{"A", {{"010", "Clip"}}}});
        platform::FileDescriptor socket = connectTo(server->port());
        sendAll(socket.get(),
                "GET /pair?key=" + kSecret + " HTTP/1.1\r\nHost: " + host() + "\r\n\r\n");
        const std::string answer = readAnswer(socket.get());
        const std::size_t start = answer.find(RemoteRequestHandler::kCookieName);
        if (start != std::string::npos)
            cookie = answer.substr(start, answer.find(';', start) - start);
    }
    ~Remote() {
        handler->closeStreams();
        server.reset();
        loop.stop();
        mainThread.join();
        platform::audio_diagnostics::resetForTesting();
    }
    std::string host() const { return "127.0.0.1:" + std::to_string(server->port()); }
    std::string request(const std::string& method, const std::string& target) const {
        return method + " " + target + " HTTP/1.1\r\nHost: " + host() + "\r\nOrigin: http://" +
               host() + "\r\nCookie: " + cookie + "\r\nContent-Length: 0\r\n\r\n";
    }
};

void BM_RemoteTapToSound(benchmark::State& state) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    Remote remote;
    if (remote.sound == 0 || remote.cookie.empty()) {
        state.SkipWithError("no sound or no pairing");
        return;
    }
    std::mutex mutex;
    std::condition_variable mixed;
    std::optional<Clock::time_point> mixedAt;
    platform::audio_diagnostics::setFirstMixObserver([&](platform::SystemSoundID) {
        const auto now = Clock::now();
        std::lock_guard lock(mutex);
        if (!mixedAt) mixedAt = now;
        mixed.notify_one();
    });
    platform::FileDescriptor page = connectTo(remote.server->port());
    const std::string tap = remote.request("POST", "/api/play?sound=010");
    std::vector<double> waits;
    for (auto _ : state) {
        {
            std::lock_guard lock(mutex);
            mixedAt.reset();
        }
        const auto tapped = Clock::now();
        sendAll(page.get(), tap);
        std::unique_lock lock(mutex);
        mixed.wait_for(lock, std::chrono::seconds(2), [&] { return mixedAt.has_value(); });
        if (!mixedAt) {
            state.SkipWithError("the sound never started");
            break;
        }
        const double seconds = std::chrono::duration<double>(*mixedAt - tapped).count();
        lock.unlock();
        readAnswer(page.get());
        state.SetIterationTime(seconds);
        waits.push_back(seconds);
    }
    platform::audio_diagnostics::setFirstMixObserver({});
    if (waits.empty()) return;
    std::sort(waits.begin(), waits.end());
    state.counters["median_ms"] = percentile(waits, 0.5) * 1e3;
    state.counters["p95_ms"] = percentile(waits, 0.95) * 1e3;
    state.counters["max_ms"] = waits.back() * 1e3;
}
BENCHMARK(BM_RemoteTapToSound)->Iterations(200)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_RemotePageFirstLoad(benchmark::State& state) {
    Remote remote;
    std::size_t bytes = 0;
    for (const auto& [path, file] : pageFiles()) bytes += file.bytes.size();
    for (auto _ : state) {
        const auto start = Clock::now();
        platform::FileDescriptor socket = connectTo(remote.server->port());
        for (const char* path : {"/", "/remote.css", "/remote.js", "/api/board"}) {
            sendAll(socket.get(), remote.request("GET", path));
            readAnswer(socket.get());
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    state.counters["page_bytes"] = double(bytes);
}
BENCHMARK(BM_RemotePageFirstLoad)->Iterations(50)->UseManualTime()->Unit(benchmark::kMillisecond);

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_RemoteFiftyIdlePages(benchmark::State& state) {
    Remote remote;
    std::vector<platform::FileDescriptor> pages;
    for (int index = 0; index < 50; ++index) {
        pages.push_back(connectTo(remote.server->port(),
                                  INADDR_LOOPBACK + 0x101 + static_cast<std::uint32_t>(index)));
        sendAll(pages.back().get(), remote.request("GET", "/api/events"));
    }
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        const double cpuBefore = processCpuSeconds();
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        cpu += processCpuSeconds() - cpuBefore;
        wall += std::chrono::duration<double>(Clock::now() - start).count();
    }
    state.counters["streams"] = double(remote.handler->streamCount());
    state.counters["cpu_pct_of_core"] = wall > 0 ? 100.0 * cpu / wall : 0.0;
}
BENCHMARK(BM_RemoteFiftyIdlePages)->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
