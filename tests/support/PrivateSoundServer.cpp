#include "PrivateSoundServer.h"

#include "Platform/Foundation/RunLoop.h"

#include <pulse/error.h>
#include <pulse/simple.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <functional>

namespace sbtest {
namespace {

using namespace std::chrono_literals;

struct SimpleDeleter {
    void operator()(pa_simple* stream) const { pa_simple_free(stream); }
};

}  // namespace

PrivateSoundServer::PrivateSoundServer(std::filesystem::path folder, Kind kind)
    : m_folder(std::move(folder)), m_kind(kind) {
    std::filesystem::create_directories(m_folder / "home");
}

PrivateSoundServer::~PrivateSoundServer() {
    kill();
}

bool PrivateSoundServer::waitForAnswer() {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (pactl({"info"})) return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

bool PrivateSoundServer::startPipeWire() {
    std::filesystem::permissions(m_folder, std::filesystem::perms::owner_all);
    ChildProcess::Options quiet;
    quiet.errors = ChildProcess::Errors::ToFile;
    quiet.errorFile = logFile();
    auto bus = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/dbus-daemon", "--session", "--nofork", "--nopidfile",
                                 "--print-address=1"},
        quiet);
    const auto address = bus->readLine();
    if (!address) return false;
    m_helpers.push_back(std::move(bus));
    ChildProcess::Options options = quiet;
    options.environmentChanges = {"HOME=" + (m_folder / "home").string(),
                                  "XDG_RUNTIME_DIR=" + m_folder.string(),
                                  "XDG_CONFIG_HOME=" + (m_folder / "home").string(),
                                  "XDG_STATE_HOME=" + (m_folder / "home").string(),
                                  "PIPEWIRE_RUNTIME_DIR=" + m_folder.string(),
                                  "PULSE_RUNTIME_PATH=" + (m_folder / "pulse").string(),
                                  "DBUS_SESSION_BUS_ADDRESS=" + *address,
                                  "DISPLAY",
                                  "PULSE_SERVER",
                                  "PIPEWIRE_REMOTE"};
    // The microphone: PipeWire's own test tone as a capture source.
    std::filesystem::create_directories(m_folder / "home" / "pipewire" / "pipewire.conf.d");
    {
        std::ofstream out(m_folder / "home" / "pipewire" / "pipewire.conf.d" / "sine.conf");
        out << "context.spa-libs = { audiotestsrc = audiotestsrc/libspa-audiotestsrc }\n"
               "context.objects = [\n"
               "  { factory = adapter args = { factory.name = audiotestsrc node.name = sine\n"
               "      node.description = Sine media.class = Audio/Source audio.rate = 44100\n"
               "      audio.channels = 2 audio.position = [ FL FR ] } }\n]\n";
    }
    m_daemon =
        std::make_unique<ChildProcess>(std::vector<std::string>{"/usr/bin/pipewire"}, options);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!std::filesystem::exists(m_folder / "pipewire-0") &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    m_helpers.push_back(
        std::make_unique<ChildProcess>(std::vector<std::string>{"/usr/bin/wireplumber"}, options));
    m_helpers.push_back(std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/pipewire-pulse"}, options));
    if (!waitForAnswer()) return false;
    for (const auto& [name, description] :
         std::vector<std::pair<std::string, std::string>>{{"alpha", "Alpha"}, {"beta", "Beta"}}) {
        if (!addSink(name, description)) return false;
    }
    // The tone at the same level as PulseAudio's (a linear factor).
    pactl({"set-source-volume", "sine", std::to_string(kMicrophoneAmplitude)});
    // WirePlumber takes a moment to see the new sinks before one can be default.
    const auto settled = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < settled) {
        pactl({"set-default-sink", "alpha"});
        pactl({"set-default-source", "sine"});
        const auto info = pactl({"info"});
        if (info && info->find("Default Sink: alpha") != std::string::npos) return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

bool PrivateSoundServer::start() {
    if (m_daemon) return true;
    if (m_kind == Kind::PipeWire) {
        m_modules.clear();
        if (startPipeWire()) return true;
        kill();
        return false;
    }
    const auto script = m_folder / "server.pa";
    {
        std::ofstream out(script);
        out << "load-module module-null-sink sink_name=alpha "
               "sink_properties=device.description=Alpha\n"
               "load-module module-null-sink sink_name=beta "
               "sink_properties=device.description=Beta\n"
               "load-module module-native-protocol-unix auth-anonymous=1 socket="
            << (m_folder / "native").string()
            << "\n"
               "load-module module-sine-source source_name=sine rate=44100 frequency=440 "
               "source_properties=device.description=Sine\n"
               "load-module module-suspend-on-idle timeout=1\n"
               "set-default-sink alpha\n"
               "set-default-source sine\n";
    }
    std::filesystem::remove(m_folder / "native");
    ChildProcess::Options options;
    options.environmentChanges = {"HOME=" + (m_folder / "home").string(),
                                  "XDG_RUNTIME_DIR=" + m_folder.string(),
                                  "XDG_CONFIG_HOME=" + (m_folder / "home").string(), "DISPLAY",
                                  "DBUS_SESSION_BUS_ADDRESS=disabled:"};
    options.errors = ChildProcess::Errors::ToFile;
    options.errorFile = logFile();
    std::vector<std::string> arguments{
        "/usr/bin/pulseaudio", "-n", "-F", script.string(), "--daemonize=no",
        // A test that dies before it can end its
        // daemon leaves none behind for long: the
        // program under test and the recordings are
        // clients, so only an orphan goes idle.
        "--exit-idle-time=20", "--use-pid-file=no", "--log-target=stderr"};
    if (!m_settings.realtime) {
        arguments.insert(arguments.end(), {"--realtime=no", "--high-priority=no"});
    }
    if (m_settings.debugLog || std::getenv("SB_SERVER_DEBUG") != nullptr) {
        arguments.push_back("--log-level=debug");
    }
    m_daemon = std::make_unique<ChildProcess>(std::move(arguments), options);
    if (!m_daemon->started()) {
        m_daemon.reset();
        return false;
    }
    m_modules.clear();
    if (waitForAnswer()) return true;
    kill();
    return false;
}

void PrivateSoundServer::kill() {
    // The services first, then the daemon they serve, then the bus.
    for (std::size_t index = m_helpers.size(); index > 1; --index) {
        m_helpers[index - 1]->kill();
        m_helpers[index - 1]->wait();
    }
    if (m_daemon) {
        m_daemon->kill();
        m_daemon->wait();
        m_daemon.reset();
    }
    for (auto& helper : m_helpers) {
        helper->kill();
        helper->wait();
    }
    m_helpers.clear();
    std::error_code ignored;
    std::filesystem::remove(m_folder / "pipewire-0", ignored);
    std::filesystem::remove(m_folder / "pipewire-0.lock", ignored);
}

void PrivateSoundServer::useInThisProcess() const {
    setenv("PULSE_SERVER", address().c_str(), 1);
    // SDL's PipeWire driver finds the daemon's own socket here.
    if (m_kind == Kind::PipeWire) setenv("PIPEWIRE_RUNTIME_DIR", m_folder.c_str(), 1);
    unsetenv("SDL_AUDIODRIVER");
}

std::optional<std::string> PrivateSoundServer::pactl(
    const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{"/usr/bin/pactl", "--server=" + address()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ChildProcess::Options options;
    options.errors = ChildProcess::Errors::Discard;
    ChildProcess child(command, options);
    if (!child.started()) return std::nullopt;
    std::string output;
    while (auto line = child.readLine()) output += *line + "\n";
    const int status = child.finish();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return output;
}

bool PrivateSoundServer::addSink(const std::string& name, const std::string& description) {
    std::vector<std::string> command{"load-module", "module-null-sink", "sink_name=" + name,
                                     "sink_properties=device.description=" + description};
    if (!m_settings.rewinds && m_kind == Kind::PulseAudio) command.push_back("norewinds=1");
    const auto index = pactl(command);
    if (!index) return false;
    std::string number = *index;
    while (!number.empty() && (number.back() == '\n' || number.back() == ' ')) number.pop_back();
    m_modules.emplace_back(name, number);
    return true;
}

bool PrivateSoundServer::removeSink(const std::string& name) {
    for (auto it = m_modules.begin(); it != m_modules.end(); ++it) {
        if (it->first != name) continue;
        const bool removed = pactl({"unload-module", it->second}).has_value();
        m_modules.erase(it);
        return removed;
    }
    // One of the two the script made: module-null-sink by its argument.
    const auto modules = pactl({"list", "short", "modules"});
    if (!modules) return false;
    std::size_t at = 0;
    while (at < modules->size()) {
        const std::size_t end = modules->find('\n', at);
        const std::string line = modules->substr(at, end - at);
        if (line.find("module-null-sink") != std::string::npos &&
            line.find("sink_name=" + name + " ") != std::string::npos) {
            return pactl({"unload-module", line.substr(0, line.find('\t'))}).has_value();
        }
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return false;
}

std::string PrivateSoundServer::sinkInputsJson() const {
    return pactl({"--format=json", "list", "sink-inputs"}).value_or("");
}

std::string PrivateSoundServer::sinksJson() const {
    return pactl({"--format=json", "list", "sinks"}).value_or("");
}

MonitorRecording::MonitorRecording(const std::string& serverAddress, const std::string& sink)
    : m_thread(&MonitorRecording::record, this, serverAddress, sink + ".monitor") {}

MonitorRecording::MonitorRecording(const std::string& serverAddress, const Source& source)
    : m_thread(&MonitorRecording::record, this, serverAddress, source.name) {}

bool MonitorRecording::waitUntilFlowing() const {
    // A null sink renders in long blocks until a client asks for less, so
    // the first block may take a couple of seconds; then they come steadily.
    const auto deadline = std::chrono::steady_clock::now() + 8s;
    while (!m_connected.load() && !m_stop.load() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(2ms);
    }
    return m_connected.load() && waitForFrames(256, 2000ms);
}

MonitorRecording::~MonitorRecording() {
    stop();
}

void MonitorRecording::stop() {
    m_stop.store(true);
    if (m_thread.joinable()) m_thread.join();
}

void MonitorRecording::record(std::string serverAddress, std::string monitor) {
    const pa_sample_spec recorded{PA_SAMPLE_S16LE, 44100, 2};
    // Small fragments: each block is stamped close to when it was heard.
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.fragsize = 64 * 4;
    int error = 0;
    std::unique_ptr<pa_simple, SimpleDeleter> stream(
        pa_simple_new(serverAddress.c_str(), "Soundboard test", PA_STREAM_RECORD, monitor.c_str(),
                      "monitor", &recorded, nullptr, &attributes, &error));
    if (!stream) {
        m_stop.store(true);
        return;
    }
    std::vector<std::int16_t> block(64 * 2);
    while (!m_stop.load()) {
        if (pa_simple_read(stream.get(), block.data(), block.size() * sizeof(std::int16_t),
                           &error) < 0) {
            break;
        }
        // The recording's own delay, as the library estimates it; a null sink
        // starts with long blocks, whose first estimates say nothing.
        const pa_usec_t estimate = pa_simple_get_latency(stream.get(), &error);
        const pa_usec_t latency = estimate < 30'000 ? estimate : 0;
        const auto now = std::chrono::steady_clock::now();
        const auto blockLength = std::chrono::microseconds(64 * 1'000'000LL / 44100);
        std::lock_guard lock(m_mutex);
        m_blocks.push_back(
            {m_samples.size() / 2, now - std::chrono::microseconds(latency) - blockLength});
        m_samples.insert(m_samples.end(), block.begin(), block.end());
        m_connected.store(true);
    }
}

std::vector<std::int16_t> MonitorRecording::samples() const {
    std::lock_guard lock(m_mutex);
    return m_samples;
}

std::size_t MonitorRecording::frames() const {
    std::lock_guard lock(m_mutex);
    return m_samples.size() / 2;
}

bool MonitorRecording::waitForFrames(std::size_t frames, std::chrono::milliseconds timeout) const {
    const std::size_t target = this->frames() + frames;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (this->frames() < target) {
        if (std::chrono::steady_clock::now() > deadline || m_stop.load()) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

std::optional<std::chrono::steady_clock::time_point> MonitorRecording::firstSoundAfter(
    std::size_t fromFrame, int threshold) const {
    std::lock_guard lock(m_mutex);
    for (std::size_t frame = fromFrame; frame < m_samples.size() / 2; ++frame) {
        if (std::abs(m_samples[2 * frame]) <= threshold &&
            std::abs(m_samples[2 * frame + 1]) <= threshold) {
            continue;
        }
        for (std::size_t b = m_blocks.size(); b > 0; --b) {
            const Block& block = m_blocks[b - 1];
            if (block.firstFrame <= frame) {
                return block.reachedSink +
                       std::chrono::microseconds((frame - block.firstFrame) * 1'000'000LL / 44100);
            }
        }
    }
    return std::nullopt;
}

bool pumpMainLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        platform::RunLoop::main().serviceDueWork();
        if (done()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
}

}  // namespace sbtest
