#pragma once

#include "ChildProcess.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace sbtest {

// A PulseAudio daemon of the test's own: no configuration but ours, its socket
// and state in `folder`, two null sinks ("alpha", the default, described as
// "Alpha", and "beta", "Beta"), a microphone ("sine", the default source: a
// 440 Hz tone) and sinks suspended after a second idle. Ended
// by its process id when the object goes (or by kill()).
//
// The program under test finds it through $PULSE_SERVER, which start() sets
// for this process (SDL's driver override is left to the code under test; the
// test main's $SDL_AUDIODRIVER=dummy is removed while the server is in use).
class PrivateSoundServer {
  public:
    // PipeWire: its daemon, WirePlumber and its PulseAudio service on a
    // private session bus, the same two sinks made through that service.
    enum class Kind { PulseAudio, PipeWire };

    explicit PrivateSoundServer(std::filesystem::path folder, Kind kind = Kind::PulseAudio);
    ~PrivateSoundServer();
    PrivateSoundServer(const PrivateSoundServer&) = delete;
    PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

    // How the daemon runs; set before start().
    struct Settings {
        // Its debug lines (underruns among them) in logFile().
        bool debugLog = false;
        // Sinks that rewind, as a sound card's do: a new stream is heard at
        // once, but a monitor shows gaps where the sink rewrote what it had
        // already rendered. Off, the monitors hold what a listener hears.
        bool rewinds = false;
        // Real-time scheduling for the daemon, as a desktop gives it.
        bool realtime = false;
    };
    void configure(const Settings& settings) { m_settings = settings; }

    // Starts the daemon and waits until it answers (up to 10 s).
    bool start();
    // SIGKILL, as a crash would, and reaps it.
    void kill();
    bool running() const { return m_daemon != nullptr; }
    pid_t pid() const { return m_daemon ? m_daemon->pid() : -1; }

    std::string address() const { return "unix:" + socket().string(); }
    std::filesystem::path socket() const {
        return m_kind == Kind::PipeWire ? m_folder / "pulse" / "native" : m_folder / "native";
    }
    std::filesystem::path logFile() const { return m_folder / "daemon.log"; }
    // Sets $PULSE_SERVER (and for PipeWire $PIPEWIRE_RUNTIME_DIR) for this
    // process and removes $SDL_AUDIODRIVER.
    void useInThisProcess() const;

    // pactl against this server; its output, none when it failed.
    std::optional<std::string> pactl(const std::vector<std::string>& arguments) const;
    // Adds or removes a null sink (by its name); the module index is remembered.
    bool addSink(const std::string& name, const std::string& description);
    bool removeSink(const std::string& name);
    // The microphone's amplitude (of full scale) and frequency.
    static constexpr double kMicrophoneAmplitude = 0.5;
    static constexpr double kMicrophoneHz = 440.0;
    // `pactl list sink-inputs` / `sinks` as JSON text.
    std::string sinkInputsJson() const;
    std::string sinksJson() const;

  private:
    bool startPipeWire();
    bool waitForAnswer();

    std::filesystem::path m_folder;
    Kind m_kind;
    Settings m_settings;
    std::unique_ptr<ChildProcess> m_daemon;
    // PipeWire's: the session bus, WirePlumber and the PulseAudio service.
    std::vector<std::unique_ptr<ChildProcess>> m_helpers;
    std::vector<std::pair<std::string, std::string>> m_modules;  // sink name, module index
};

// Records a sink's monitor through the client library on a thread of its own,
// from construction to stop(), as 16-bit stereo at 44.1 kHz. Each block read
// is stamped with the steady clock, minus the recording's own latency, so the
// time a sample reached the sink can be told.
class MonitorRecording {
  public:
    MonitorRecording(const std::string& serverAddress, const std::string& sink);
    // Records the source `name` itself rather than a sink's monitor.
    struct Source {
        std::string name;
    };
    MonitorRecording(const std::string& serverAddress, const Source& source);
    ~MonitorRecording();
    MonitorRecording(const MonitorRecording&) = delete;
    MonitorRecording& operator=(const MonitorRecording&) = delete;

    // Blocks until blocks arrive steadily (up to 10 s); false when they do not.
    bool waitUntilFlowing() const;
    // Interleaved samples so far.
    std::vector<std::int16_t> samples() const;
    // Blocks until `frames` have been recorded past now, or `timeout`.
    bool waitForFrames(std::size_t frames, std::chrono::milliseconds timeout) const;
    // When the first frame above `threshold` (absolute) at or after frame
    // `from` reached the sink; none when there is none yet.
    std::optional<std::chrono::steady_clock::time_point> firstSoundAfter(std::size_t fromFrame,
                                                                         int threshold) const;
    std::size_t frames() const;
    void stop();

  private:
    void record(std::string serverAddress, std::string source);

    struct Block {
        std::size_t firstFrame;
        std::chrono::steady_clock::time_point reachedSink;  // of its first frame
    };
    mutable std::mutex m_mutex;
    std::vector<std::int16_t> m_samples;
    std::vector<Block> m_blocks;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_connected{false};
    std::thread m_thread;
};

// Pumps the main run loop until `done` answers true or `timeout` passes; for
// waiting on a real server, whose answers arrive when they do. True when done.
bool pumpMainLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

}  // namespace sbtest
