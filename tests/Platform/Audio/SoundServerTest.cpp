// The output on a real sound server: a private PulseAudio daemon per test
// (null sinks "alpha", the default, and "beta"), its sinks' monitors recorded
// through the client library and checked sample by sample.

#include "Platform/Audio/AudioDiagnostics.h"
#include "Platform/Audio/AudioThreadPriority.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/Clock.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Foundation/RunLoop.h"
#include "SoundFiles.h"
#include "tests/support/PrivateSoundServer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <optional>

namespace {

using namespace platform;
using namespace std::chrono_literals;
using sbtest::MonitorRecording;
using sbtest::PrivateSoundServer;
using sbtest::pumpMainLoopUntil;
using sbtest::audio::fileURL;
using sbtest::audio::makeAiff;
using sbtest::audio::PcmFormat;
using sbtest::audio::writeFixture;

constexpr PcmFormat kStereo{44100, 2, 16};

using Kind = PrivateSoundServer::Kind;

// Each test runs on PulseAudio and on PipeWire (its daemon, WirePlumber and
// its PulseAudio service), where the program plays through SDL's PipeWire
// driver.
class SoundServer : public ::testing::TestWithParam<Kind> {
  protected:
    void SetUp() override {
        // These tests check what is heard, under the sanitizers on a shared
        // machine whose cores are often all busy: a generous server buffer
        // keeps a late wake-up of the slowed audio thread from cutting a gap
        // into a recording. Underruns at the program's own buffer are the
        // benchmark's to count.
        setenv("PULSE_LATENCY_MSEC", "60", 1);
        ASSERT_TRUE(m_server.start()) << "pulseaudio did not start";
        m_server.useInThisProcess();
        listen();
    }
    void TearDown() override {
        audio_diagnostics::resetForTesting();
        m_monitors.clear();
        m_server.kill();
        if (HasFailure()) {
            // Underruns (with the daemon's debug log) explain a gap in a recording.
            std::ifstream log(m_server.logFile());
            for (std::string line; std::getline(log, line);) {
                if (line.find("nderrun") != std::string::npos) std::cerr << line << "\n";
            }
        }
        unsetenv("PULSE_SERVER");
        unsetenv("PIPEWIRE_RUNTIME_DIR");
        unsetenv("PULSE_LATENCY_MSEC");
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }

    // Records both sinks' monitors from now on (again after a restart).
    void listen() {
        m_monitors.clear();
        for (const char* sink : {"alpha", "beta"}) {
            m_monitors[sink] = std::make_unique<MonitorRecording>(m_server.address(), sink);
        }
        for (auto& [sink, monitor] : m_monitors) {
            ASSERT_TRUE(monitor->waitUntilFlowing()) << sink;
        }
    }
    MonitorRecording& monitor(const std::string& sink) { return *m_monitors.at(sink); }

    SystemSoundID registerSound(const std::string& name, const std::string& file) {
        SystemSoundID soundID = 0;
        EXPECT_EQ(AudioServicesCreateSystemSoundID(fileURL(writeFixture(name, file)), &soundID),
                  kAudioServicesNoError);
        return soundID;
    }

    // Plays `sound`; how long until the sink's monitor heard it, none when it
    // was not heard within `within`.
    std::optional<std::chrono::duration<double, std::milli>> play(
        const std::string& sink, SystemSoundID sound, std::chrono::milliseconds within = 1000ms) {
        MonitorRecording& heard = monitor(sink);
        const std::size_t from = heard.frames();
        const auto tapped = std::chrono::steady_clock::now();
        AudioServicesPlaySystemSound(sound);
        if (!pumpMainLoopUntil([&] { return heard.firstSoundAfter(from, 64).has_value(); },
                               within)) {
            return std::nullopt;
        }
        return *heard.firstSoundAfter(from, 64) - tapped;
    }
    bool heardOn(const std::string& sink, SystemSoundID sound) {
        return play(sink, sound).has_value();
    }

    // Opens the output's stream with a silent play and lets it run. A stream
    // that starts with a sound on a sink that cannot rewind loses the first
    // milliseconds of it to the sink's latency (a real device's sink rewinds
    // and plays them); the checks of every sample play into a running stream.
    void warmUp() {
        const SystemSoundID silence = registerSound("silence.aiff", makeAiff(kStereo, 0.5, 0.0));
        AudioServicesPlaySystemSound(silence);
        ASSERT_TRUE(monitor("alpha").waitForFrames(44100 / 10, 2000ms));
    }

    bool onPipeWire() const { return GetParam() == Kind::PipeWire; }

    // The state the server gives the sink `name` ("RUNNING", "SUSPENDED", ...).
    std::string sinkState(const std::string& name) const {
        const std::string sinks = m_server.sinksJson();
        const std::size_t at = sinks.find("\"name\":\"" + name + "\"");
        if (at == std::string::npos) return {};
        const std::string key = "\"state\":\"";
        const std::size_t state = sinks.find(key, at);
        if (state == std::string::npos) return {};
        const std::size_t start = state + key.size();
        return sinks.substr(start, sinks.find('"', start) - start);
    }

    PrivateSoundServer m_server{sbtest::tempDir() / "server", GetParam()};
    std::map<std::string, std::unique_ptr<MonitorRecording>> m_monitors;
};

std::size_t linesStartingWith(const LogCapture& capture, std::string_view start) {
    const auto messages = capture.messages();
    return static_cast<std::size_t>(
        std::count_if(messages.begin(), messages.end(),
                      [&](const auto& line) { return line.starts_with(start); }));
}

struct UnityCase {
    const char* title;
    PcmFormat format;
    double seconds;
};

TEST_P(SoundServer, ClipsPlaySampleForSampleAtUnityGain) {
    if (onPipeWire()) GTEST_SKIP() << "PipeWire resamples the stream to its sink's 48 kHz";
    // Short clips mix from float; long ones from the 16-bit samples they are held as.
    const std::vector<UnityCase> cases{
        {"a short clip", kStereo, 0.25},
        {"a long stereo sound", kStereo, 12.0},
        {"a long mono sound", {44100, 1, 16}, 12.0},
    };
    warmUp();
    MonitorRecording& alpha = monitor("alpha");
    for (const UnityCase& test : cases) {
        SCOPED_TRACE(test.title);
        const SystemSoundID sound = registerSound(std::string(test.title) + ".aiff",
                                                  makeAiff(test.format, test.seconds, 441.0));
        ASSERT_TRUE(pumpMainLoopUntil([] { return playingSoundCount() == 0; }, 2000ms));
        ASSERT_TRUE(alpha.waitForFrames(44100 / 10, 2000ms));
        const std::size_t from = alpha.frames();
        AudioServicesPlaySystemSound(sound);
        ASSERT_TRUE(alpha.waitForFrames(44100, 3000ms));
        stopAllSystemSounds();

        const std::vector<std::int16_t> all = alpha.samples();
        const std::vector<std::int16_t> heard(all.begin() + static_cast<std::ptrdiff_t>(2 * from),
                                              all.end());
        // The tone starts at 0 and rises: the first sample above the noise floor
        // lines the recording up with the file.
        const auto onset =
            std::find_if(heard.begin(), heard.end(), [](std::int16_t s) { return s > 0; });
        ASSERT_NE(onset, heard.end());
        const std::size_t start = static_cast<std::size_t>(onset - heard.begin()) / 2 - 1;
        const int frames = static_cast<int>(std::lround(0.25 * 44100));
        ASSERT_GE(heard.size() / 2, start + static_cast<std::size_t>(frames));
        int worst = 0;
        for (int frame = 0; frame < frames; ++frame) {
            const auto expected = static_cast<int>(
                0.5 * std::sin(2 * std::numbers::pi * 441.0 * frame / 44100) * 32767);
            const std::size_t at = 2 * (start + static_cast<std::size_t>(frame));
            worst = std::max(
                {worst, std::abs(heard[at] - expected), std::abs(heard[at + 1] - expected)});
            ASSERT_EQ(heard[at], heard[at + 1]) << "left and right differ at frame " << frame;
        }
        EXPECT_LE(worst, 1) << "the clip is not played at unity gain";
    }
}

TEST_P(SoundServer, TwentyOverlappingClipsNeverPassFullScale) {
    const SystemSoundID sound = registerSound("loud.aiff", makeAiff(kStereo, 0.4, 220.0));
    warmUp();
    for (int i = 0; i < 20; ++i) AudioServicesPlaySystemSound(sound);
    ASSERT_TRUE(monitor("alpha").waitForFrames(44100, 3000ms));
    const std::vector<std::int16_t> heard = monitor("alpha").samples();
    const int peak = std::abs(*std::max_element(heard.begin(), heard.end(), [](auto a, auto b) {
        return std::abs(int{a}) < std::abs(int{b});
    }));
    EXPECT_GT(peak, 20000) << "the plays were not heard";
    // Ten times full scale went in; under -1 dBFS came out, nothing clipped.
    // PipeWire resamples the limited mix to its 48 kHz, which rings a little
    // above it, and a period lost on a busy machine can ring a sample or two
    // up to full scale; without the limiter hundreds of samples clip.
    if (onPipeWire()) {
        const auto clipped = std::count_if(
            heard.begin(), heard.end(), [](std::int16_t s) { return std::abs(int{s}) >= 32767; });
        EXPECT_LE(clipped, 4) << "samples at full scale";
    } else {
        EXPECT_LE(peak, static_cast<int>(0.891 * 32768) + 1);
    }
}

TEST_P(SoundServer, StopAllFadesOutInsteadOfCutting) {
    // A 1 kHz tone at half scale: over any 3 ms it reaches its full envelope,
    // so the loudest sample of the last 3 ms before the silence says how loud
    // the sound still was there. The 8 ms fade leaves at most 3/8 of the level
    // for that stretch; a cut leaves all of it. An underrun earlier in the
    // tone (a busy machine) inserts a hole with sound after it, so it is never
    // mistaken for the stop.
    const SystemSoundID sound = registerSound("hum.aiff", makeAiff(kStereo, 5.0, 1000.0));
    warmUp();
    ASSERT_TRUE(heardOn("alpha", sound));
    ASSERT_TRUE(monitor("alpha").waitForFrames(44100 / 5, 3000ms));
    stopAllSystemSounds();
    EXPECT_EQ(playingSoundCount(), 0u);
    ASSERT_TRUE(monitor("alpha").waitForFrames(44100 / 2, 3000ms));
    const std::vector<std::int16_t> heard = monitor("alpha").samples();
    constexpr int kQuiet = 64;  // below this a resampler's ringing is silence
    std::size_t end = heard.size();
    while (end > 0 && std::abs(heard[end - 1]) < kQuiet) --end;
    const std::size_t window = 2 * 44100 * 3 / 1000;
    ASSERT_GT(end, 10 * window) << "nothing was heard before the stop";
    // The tone's level from 30 to 12 ms before the silence, before the fade.
    int level = 0;
    for (std::size_t at = end - 10 * window; at < end - 4 * window; ++at)
        level = std::max<int>(level, std::abs(heard[at]));
    int tail = 0;
    for (std::size_t at = end - window; at < end; ++at)
        tail = std::max<int>(tail, std::abs(heard[at]));
    EXPECT_GT(level, 16384 / 2) << "the tone was not at its level before the fade";
    EXPECT_LT(tail, 16384 * 6 / 10) << "the last 3 ms before the silence were at " << tail;
    EXPECT_LT(std::abs(heard.back()), kQuiet) << "the sound did not stop";
}

TEST_P(SoundServer, TheStreamIsNamedForTheProgramWithTheRoleOfEffects) {
    const SystemSoundID sound = registerSound("long.aiff", makeAiff(kStereo, 3.0));
    AudioServicesPlaySystemSound(sound);
    std::string inputs;
    ASSERT_TRUE(pumpMainLoopUntil(
        [&] {
            inputs = m_server.sinkInputsJson();
            return inputs.find("\"media.name\":\"Soundboard\"") != std::string::npos;
        },
        2000ms))
        << inputs;
    EXPECT_NE(inputs.find("\"application.name\":\"Soundboard\""), std::string::npos) << inputs;
    EXPECT_NE(inputs.find("\"media.role\":\"event\""), std::string::npos) << inputs;
    // The desktop's volume mixer shows the program's icon on either server.
    EXPECT_NE(inputs.find("\"application.icon_name\":\"org.soundboard.Soundboard\""),
              std::string::npos)
        << inputs;
}

TEST_P(SoundServer, TheMixersThreadRunsRealTimeOnPulseAudioWhereTheProcessMayTakeIt) {
    if (geteuid() != 0) GTEST_SKIP() << "only root may take real-time scheduling unasked here";
    if (onPipeWire()) GTEST_SKIP() << "the mix goes to PipeWire's own real-time thread";
    const SystemSoundID sound = registerSound("tone.aiff", makeAiff(kStereo, 0.3));
    ASSERT_TRUE(heardOn("alpha", sound));
    EXPECT_TRUE(AudioThreadPriority::raised());
}

TEST_P(SoundServer, DevicesAreListedByDescriptionAndChosenByTheServersName) {
    LogCapture capture;
    const SystemSoundID sound = registerSound("tone.aiff", makeAiff(kStereo, 0.3));
    const std::vector<OutputDeviceInfo> devices = audioOutputDevices();
    for (const OutputDeviceInfo& made :
         {OutputDeviceInfo{"alpha", "Alpha"}, OutputDeviceInfo{"beta", "Beta"}}) {
        EXPECT_NE(std::find(devices.begin(), devices.end(), made), devices.end()) << made.name;
    }
    if (!onPipeWire()) {
        EXPECT_EQ(devices.size(), 2u) << "the sinks' monitors are not devices";
    }
    ASSERT_TRUE(setAudioOutputDevice("beta"));
    EXPECT_EQ(audioOutputDevice(), "beta");
    EXPECT_TRUE(heardOn("beta", sound));
    const std::string driver = onPipeWire() ? "pipewire" : "pulseaudio";
    EXPECT_EQ(linesStartingWith(capture, "Audio: playing through SDL's " + driver + " driver"), 1u)
        << "the format is said once, at the start; a change of device is no new start";
    EXPECT_EQ(linesStartingWith(capture, "Audio: no output device"), 0u);
}

TEST_P(SoundServer, ALostChosenSinkFallsBackByItselfEveryTime) {
    const SystemSoundID sound = registerSound("long.aiff", makeAiff(kStereo, 0.3));
    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE(run);
        // The last run's play has been heard out.
        ASSERT_TRUE(pumpMainLoopUntil([] { return playingSoundCount() == 0; }, 2000ms));
        ASSERT_TRUE(monitor("alpha").waitForFrames(44100 / 5, 2000ms));
        ASSERT_TRUE(m_server.addSink("gamma", "Gamma"));
        ASSERT_TRUE(setAudioOutputDevice("gamma"));
        AudioServicesPlaySystemSound(sound);
        EXPECT_FALSE(play("alpha", sound, 300ms)) << "the chosen sink is not the one playing";
        AudioServicesPlaySystemSound(sound);
        LogCapture capture;
        ASSERT_TRUE(m_server.removeSink("gamma"));
        // By itself, with no menu opened: the server's own notice is followed.
        // (How fast is a benchmark's figure, not this test's: a loaded machine
        // may take longer than the 100 ms it takes at rest.)
        ASSERT_TRUE(pumpMainLoopUntil([] { return audioOutputDevice().empty(); }, 1000ms));
        EXPECT_EQ(linesStartingWith(capture, "Audio: output device “Gamma” is not available"), 1u);
        // WirePlumber may send a stream of this role where the role played
        // last (it remembers per role), which is its policy: heard it must be.
        // WirePlumber may also still be moving the stream when the first play
        // goes out; the play after it is heard.
        MonitorRecording& other = monitor("beta");
        bool heard = false;
        for (int attempt = 0; attempt < (onPipeWire() ? 2 : 1) && !heard; ++attempt) {
            const std::size_t otherFrom = other.frames();
            heard = heardOn("alpha", sound) ||
                    (onPipeWire() && other.firstSoundAfter(otherFrom, 64).has_value());
        }
        EXPECT_TRUE(heard) << "the next play is not heard";
    }
}

TEST_P(SoundServer, AServerKilledAndStartedAgainIsUsedAgain) {
    const SystemSoundID sound = registerSound("tone.aiff", makeAiff(kStereo, 0.3));
    ASSERT_TRUE(heardOn("alpha", sound));
    LogCapture capture;
    m_monitors.clear();
    m_server.kill();
    ASSERT_TRUE(pumpMainLoopUntil([] { return audio_diagnostics::outputFormat()->silentFallback; },
                                  2000ms));
    AudioServicesPlaySystemSound(sound);  // silently, but it plays
    EXPECT_EQ(playingSoundCount(sound), 1u);
    ASSERT_TRUE(m_server.start());
    ASSERT_TRUE(pumpMainLoopUntil([] { return !audio_diagnostics::outputFormat()->silentFallback; },
                                  2000ms));
    listen();
    EXPECT_TRUE(heardOn("alpha", sound));
    EXPECT_EQ(linesStartingWith(capture, "Audio: the sound server went away"), 1u);
}

TEST_P(SoundServer, AServerStartedAfterTheProgramIsUsed) {
    m_monitors.clear();
    m_server.kill();
    LogCapture capture;
    const SystemSoundID sound = registerSound("tone.aiff", makeAiff(kStereo, 0.3));
    ASSERT_TRUE(audio_diagnostics::outputFormat()->silentFallback);
    EXPECT_TRUE(audioOutputDevices().empty());
    ASSERT_EQ(capture.messages().size(), 1u) << "one line, and nothing from ALSA";
    EXPECT_EQ(capture.messages().front(),
              "Audio: no output device (no sound server is running); playing silently");
    ASSERT_TRUE(m_server.start());
    ASSERT_TRUE(pumpMainLoopUntil([] { return !audio_diagnostics::outputFormat()->silentFallback; },
                                  2000ms));
    listen();
    EXPECT_TRUE(heardOn("alpha", sound));
}

TEST_P(SoundServer, AfterTheIdleDelayTheStreamIsGoneAndTheSinkSuspends) {
    auto clock = std::make_shared<ManualClock>();
    RunLoop::main().setClock(clock);
    const SystemSoundID sound = registerSound("tone.aiff", makeAiff(kStereo, 0.2));
    EXPECT_EQ(RunLoop::main().pendingTimerCount(), 0u) << "registering schedules nothing";
    EXPECT_EQ(m_server.sinkInputsJson().find("Soundboard"), std::string::npos)
        << "registering leaves no stream open";
    ASSERT_TRUE(heardOn("alpha", sound));
    EXPECT_NE(m_server.sinkInputsJson().find("Soundboard"), std::string::npos);
    ASSERT_TRUE(pumpMainLoopUntil([&] { return playingSoundCount() == 0; }, 2000ms));
    EXPECT_EQ(RunLoop::main().pendingTimerCount(), 1u) << "the play schedules the idle check";

    clock->advance(0.2 + 3.0);
    EXPECT_EQ(RunLoop::main().pendingTimerCount(), 0u);
    EXPECT_EQ(m_server.sinkInputsJson().find("Soundboard"), std::string::npos)
        << "the stream is still open when idle";
    // The recordings of the monitors would keep the sink awake themselves.
    m_monitors.clear();
    // PulseAudio suspends an idle sink after a second here, WirePlumber after five.
    EXPECT_TRUE(pumpMainLoopUntil([&] { return sinkState("alpha") == "SUSPENDED"; }, 8000ms))
        << m_server.sinksJson();
    // The next play opens it again.
    listen();
    EXPECT_TRUE(heardOn("alpha", sound));
}

INSTANTIATE_TEST_SUITE_P(Servers, SoundServer, ::testing::Values(Kind::PulseAudio, Kind::PipeWire),
                         [](const auto& info) {
                             return std::string(info.param == Kind::PipeWire ? "PipeWire"
                                                                             : "PulseAudio");
                         });

}  // namespace
