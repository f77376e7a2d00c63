// Play into Voice Chat against a real (private) sound server started here:
// a play to the clip's first samples at "Soundboard Microphone", beside the
// same at the speakers' monitor; the delay the pass-through adds between the
// real microphone and the virtual one; and the program's CPU with the mode on,
// idle and with 8 sounds playing.

#include "Platform/Audio/AudioDiagnostics.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Audio/VoiceChatControls.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Foundation/URL.h"
#include "tests/support/PrivateSoundServer.h"

#include <benchmark/benchmark.h>
#include <pulse/simple.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Kind = sbtest::PrivateSoundServer::Kind;
using platform::SystemSoundID;
using sbtest::MonitorRecording;

std::filesystem::path benchFolder() {
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "sbvoice-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        return std::filesystem::path(mkdtemp(buffer.data()) != nullptr ? buffer.data() : "/tmp");
    }();
    return folder;
}

// A 16-bit stereo AIFF of a 1 kHz tone.
std::filesystem::path writeTone(const std::string& name, double seconds, double level) {
    const int frames = static_cast<int>(seconds * 44100);
    const auto be = [](std::string& out, std::uint64_t value, int bytes) {
        for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
            out.push_back(static_cast<char>((value >> shift) & 0xFF));
        }
    };
    std::string samples;
    for (int frame = 0; frame < frames; ++frame) {
        const auto value = static_cast<std::int16_t>(
            level * 32767 * std::sin(2 * std::numbers::pi * 1000 * frame / 44100.0));
        for (int channel = 0; channel < 2; ++channel) {
            be(samples, static_cast<std::uint16_t>(value), 2);
        }
    }
    std::string file = "FORM";
    be(file, 4 + 26 + 16 + samples.size(), 4);
    file += "AIFFCOMM";
    be(file, 18, 4);
    be(file, 2, 2);
    be(file, static_cast<std::uint64_t>(frames), 4);
    be(file, 16, 2);
    be(file, 0x400E, 2);
    be(file, 0xAC44000000000000ULL, 8);
    file += "SSND";
    be(file, 8 + samples.size(), 4);
    be(file, 0, 8);
    file += samples;
    const auto path = benchFolder() / name;
    std::ofstream(path, std::ios::binary) << file;
    return path;
}

SystemSoundID registerFile(const std::filesystem::path& path) {
    SystemSoundID soundID = 0;
    platform::AudioServicesCreateSystemSoundID(platform::URL::fileURLWithPath(path.string()),
                                               &soundID);
    return soundID;
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(fraction * double(values.size() - 1) + 0.5);
    return values[std::min(rank, values.size() - 1)];
}

void pump(std::chrono::milliseconds length) {
    const auto until = Clock::now() + length;
    while (Clock::now() < until) {
        platform::RunLoop::main().serviceDueWork();
        std::this_thread::sleep_for(200us);
    }
}

double cpuSecondsOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14 || index == 15) ticks += std::stod(field);
        if (index == 15) break;
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The server, this process pointed at it, and the mode switched on.
struct Rig {
    Rig(const std::string& name, Kind kind, const platform::MicrophoneChoice& microphone)
        : server(benchFolder() / name, kind) {
        server.configure({false, true, true});
        started = server.start();
        if (!started) return;
        server.useInThisProcess();
        // The output opens first, as a board's sounds open it at a start.
        click = registerFile(writeTone("click.aiff", 0.02, 0.5));
        platform::setVoiceChatMicrophone(microphone);
        platform::setVoiceChat(true);
        const auto deadline = Clock::now() + 10s;
        while (platform::voiceChatStatus().state != platform::VoiceChatStatus::State::On &&
               Clock::now() < deadline) {
            pump(5ms);
        }
        started = platform::voiceChatStatus().state == platform::VoiceChatStatus::State::On;
    }
    ~Rig() {
        platform::setVoiceChat(false);
        platform::audio_diagnostics::resetForTesting();
        server.kill();
        unsetenv("PULSE_SERVER");
        unsetenv("PIPEWIRE_RUNTIME_DIR");
    }
    sbtest::PrivateSoundServer server;
    SystemSoundID click = 0;
    bool started = false;
};

// When each recording first heard something past `from`, milliseconds after
// `since`; none when one of them did not within 2 s.
std::optional<std::pair<double, double>> firstHeard(const MonitorRecording& a, std::size_t fromA,
                                                    const MonitorRecording& b, std::size_t fromB,
                                                    Clock::time_point since, int threshold) {
    const auto deadline = since + 2s;
    while (Clock::now() < deadline) {
        platform::RunLoop::main().serviceDueWork();
        const auto heardA = a.firstSoundAfter(fromA, threshold);
        const auto heardB = b.firstSoundAfter(fromB, threshold);
        if (heardA && heardB) {
            return std::pair{std::chrono::duration<double, std::milli>(*heardA - since).count(),
                             std::chrono::duration<double, std::milli>(*heardB - since).count()};
        }
        std::this_thread::sleep_for(200us);
    }
    return std::nullopt;
}

// Plays at random moments into running streams (the microphone passed
// through is none, so the clip's first samples stand out).
void playToMicrophone(benchmark::State& state, Kind kind) {
    Rig rig(kind == Kind::PipeWire ? "play-pw" : "play-pa", kind, std::nullopt);
    if (!rig.started) {
        state.SkipWithError("the sound server or the voice chat did not start");
        return;
    }
    MonitorRecording call(rig.server.address(),
                          MonitorRecording::Source{platform::kVoiceChatSourceName});
    MonitorRecording speakers(rig.server.address(), "alpha");
    if (!call.waitUntilFlowing() || !speakers.waitUntilFlowing()) {
        state.SkipWithError("no recording");
        return;
    }
    const SystemSoundID click = rig.click;
    platform::AudioServicesPlaySystemSound(click);
    pump(300ms);
    std::vector<double> atCall;
    std::vector<double> atSpeakers;
    for (auto _ : state) {
        pump(std::chrono::milliseconds(60 + static_cast<int>(atCall.size() * 7 % 31)));
        const std::size_t fromCall = call.frames();
        const std::size_t fromSpeakers = speakers.frames();
        const auto tapped = Clock::now();
        platform::AudioServicesPlaySystemSound(click);
        const auto heard = firstHeard(call, fromCall, speakers, fromSpeakers, tapped, 200);
        if (!heard) {
            state.SkipWithError("a play was never heard");
            break;
        }
        state.SetIterationTime(heard->first / 1e3);
        atCall.push_back(heard->first);
        atSpeakers.push_back(heard->second);
    }
    if (atCall.empty()) return;
    state.counters["mic_median_ms"] = percentile(atCall, 0.5);
    state.counters["mic_p95_ms"] = percentile(atCall, 0.95);
    state.counters["speakers_median_ms"] = percentile(atSpeakers, 0.5);
    state.counters["speakers_p95_ms"] = percentile(atSpeakers, 0.95);
    state.counters["mic_over_speakers_p95"] =
        percentile(atCall, 0.95) / std::max(0.001, percentile(atSpeakers, 0.95));
}

void BM_PlayToVoiceChatMicrophone_PulseAudio(benchmark::State& state) {
    playToMicrophone(state, Kind::PulseAudio);
}
BENCHMARK(BM_PlayToVoiceChatMicrophone_PulseAudio)
    ->Iterations(100)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_PlayToVoiceChatMicrophone_PipeWire(benchmark::State& state) {
    playToMicrophone(state, Kind::PipeWire);
}
BENCHMARK(BM_PlayToVoiceChatMicrophone_PipeWire)
    ->Iterations(100)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

struct SimpleDeleter {
    void operator()(pa_simple* stream) const { pa_simple_free(stream); }
};

// The real microphone is a source the benchmark speaks into (a remap of a
// null sink's monitor, as a real input is no monitor): a burst of tone every
// 250 ms, the onset compared between that source and the virtual one.
void BM_MicrophonePassThroughAddedLatency(benchmark::State& state) {
    sbtest::PrivateSoundServer server(benchFolder() / "passthrough", Kind::PulseAudio);
    server.configure({false, true, true});
    if (!server.start()) {
        state.SkipWithError("the sound server did not start");
        return;
    }
    server.useInThisProcess();
    // The output opens first, as a board's sounds open it at a start.
    registerFile(writeTone("click.aiff", 0.02, 0.5));
    server.addSink("talk", "Talk");
    server.pactl({"load-module", "module-remap-source", "source_name=voice", "master=talk.monitor",
                  "source_properties=device.description=Voice"});
    platform::setVoiceChatMicrophone(std::string("voice"));
    platform::setVoiceChat(true);
    const auto deadline = Clock::now() + 10s;
    while (platform::voiceChatStatus().microphoneInUse != "voice" && Clock::now() < deadline) {
        pump(5ms);
    }
    MonitorRecording real(server.address(), MonitorRecording::Source{"voice"});
    MonitorRecording call(server.address(),
                          MonitorRecording::Source{platform::kVoiceChatSourceName});
    std::atomic<bool> speak{false};
    std::atomic<bool> stop{false};
    std::thread speaker([&] {
        const pa_sample_spec format{PA_SAMPLE_S16LE, 44100, 2};
        pa_buffer_attr attributes{};
        attributes.maxlength = static_cast<std::uint32_t>(-1);
        attributes.tlength = 64 * 4 * 4;
        attributes.prebuf = static_cast<std::uint32_t>(-1);
        attributes.minreq = static_cast<std::uint32_t>(-1);
        int error = 0;
        std::unique_ptr<pa_simple, SimpleDeleter> out(
            pa_simple_new(server.address().c_str(), "Voice", PA_STREAM_PLAYBACK, "talk", "voice",
                          &format, nullptr, &attributes, &error));
        std::vector<std::int16_t> block(64 * 2);
        int toneLeft = 0;
        while (out && !stop.load()) {
            if (speak.exchange(false)) toneLeft = 2205;
            for (std::size_t frame = 0; frame < 64; ++frame) {
                const std::int16_t value =
                    toneLeft > 0
                        ? static_cast<std::int16_t>(
                              12000 * std::sin(2 * std::numbers::pi * 1000 * toneLeft / 44100.0))
                        : 0;
                if (toneLeft > 0) --toneLeft;
                block[2 * frame] = block[2 * frame + 1] = value;
            }
            pa_simple_write(out.get(), block.data(), block.size() * sizeof(std::int16_t), &error);
        }
    });
    if (!real.waitUntilFlowing() || !call.waitUntilFlowing()) {
        stop.store(true);
        speaker.join();
        state.SkipWithError("no recording");
        return;
    }
    std::vector<double> added;
    for (auto _ : state) {
        pump(250ms);
        const std::size_t fromReal = real.frames();
        const std::size_t fromCall = call.frames();
        const auto spoken = Clock::now();
        speak.store(true);
        const auto heard = firstHeard(real, fromReal, call, fromCall, spoken, 2000);
        if (!heard) {
            state.SkipWithError("the voice was never heard");
            break;
        }
        state.SetIterationTime(std::max(0.0, heard->second - heard->first) / 1e3);
        added.push_back(heard->second - heard->first);
    }
    stop.store(true);
    speaker.join();
    platform::setVoiceChat(false);
    platform::audio_diagnostics::resetForTesting();
    server.kill();
    unsetenv("PULSE_SERVER");
    if (added.empty()) return;
    state.counters["added_median_ms"] = percentile(added, 0.5);
    state.counters["added_p95_ms"] = percentile(added, 0.95);
    state.counters["peer_default_over_p95"] = 200.0 / std::max(0.001, percentile(added, 0.95));
}
BENCHMARK(BM_MicrophonePassThroughAddedLatency)
    ->Iterations(40)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Ten seconds each: the mode on with the tone passed through and nothing
// playing (after the output's idle delay), then 8 looping sounds.
void BM_VoiceChatCpu(benchmark::State& state) {
    Rig rig("cpu", Kind::PulseAudio, std::string());
    if (!rig.started) {
        state.SkipWithError("the sound server or the voice chat did not start");
        return;
    }
    const SystemSoundID tone = registerFile(writeTone("tone.aiff", 1.0, 0.05));
    for (auto _ : state) {
        pump(4000ms);  // past the output's idle delay
        // Plain sleeps: the benchmark's own waiting costs nothing.
        double before = cpuSecondsOf(getpid());
        std::this_thread::sleep_for(10s);
        state.counters["idle_cpu_pct"] = (cpuSecondsOf(getpid()) - before) * 10.0;
        for (int i = 0; i < 8; ++i)
            platform::AudioServicesPlaySystemSoundWithOptions(tone, {0, true});
        pump(500ms);
        before = cpuSecondsOf(getpid());
        std::this_thread::sleep_for(10s);
        state.counters["eight_sounds_cpu_pct"] = (cpuSecondsOf(getpid()) - before) * 10.0;
        platform::stopAllSystemSounds();
    }
}
BENCHMARK(BM_VoiceChatCpu)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
