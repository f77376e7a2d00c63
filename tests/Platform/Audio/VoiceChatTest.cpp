// Play into Voice Chat on a real sound server: a private PulseAudio daemon
// (and PipeWire with its PulseAudio service) per test, with a 440 Hz tone as
// the microphone. "Soundboard Microphone" is recorded through the client
// library and its samples checked: the tone, the clips, the levels; and the
// server is compared before and after, for anything left behind.

#include "Platform/Audio/SystemSounds.h"
#include "Platform/Audio/VoiceChatControls.h"
#include "Platform/Foundation/Log.h"
#include "SoundFiles.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PrivateSoundServer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <sstream>

namespace {

using namespace platform;
using namespace std::chrono_literals;
using sbtest::ChildProcess;
using sbtest::MonitorRecording;
using sbtest::PrivateSoundServer;
using sbtest::pumpMainLoopUntil;
using Kind = PrivateSoundServer::Kind;
using State = VoiceChatStatus::State;

constexpr int kRate = 44100;
constexpr std::size_t kWindow = 1024;

// A clip no tone resembles: seven partials at unrelated frequencies, all
// under 4 kHz (so resampling keeps them), peaking at 0.35 with the 0.5 tone
// still under the limiter's ceiling.
std::vector<float> clipSamples(double seconds) {
    constexpr double kPartials[] = {523, 787, 1123, 1609, 2203, 2999, 3761};
    std::vector<float> samples(static_cast<std::size_t>(seconds * kRate));
    for (std::size_t frame = 0; frame < samples.size(); ++frame) {
        double value = 0;
        for (std::size_t k = 0; k < std::size(kPartials); ++k) {
            value += 0.05 * std::sin(2 * std::numbers::pi * kPartials[k] * frame / kRate + k);
        }
        samples[frame] = static_cast<float>(value);
    }
    return samples;
}

// The clip as a 16-bit stereo AIFF file.
std::string clipFile(const std::vector<float>& samples) {
    using namespace sbtest::audio::detail;
    std::string pcm;
    for (float value : samples) {
        const auto scaled = static_cast<std::int64_t>(std::lround(value * 32767));
        putBigEndian(pcm, static_cast<std::uint64_t>(scaled), 2);
        putBigEndian(pcm, static_cast<std::uint64_t>(scaled), 2);
    }
    std::string comm;
    putBigEndian(comm, 2, 2);
    putBigEndian(comm, samples.size(), 4);
    putBigEndian(comm, 16, 2);
    putExtended(comm, kRate);
    std::string body = "AIFFCOMM";
    putBigEndian(body, comm.size(), 4);
    body += comm + "SSND";
    putBigEndian(body, 8 + pcm.size(), 4);
    putBigEndian(body, 0, 8);
    body += pcm;
    std::string file = "FORM";
    putBigEndian(file, body.size(), 4);
    return file + body;
}

// How loud the clip is in the recording from frame `from` on: the gain of
// the best match of the clip's opening (least squares, left channel) within
// `span` frames; 0 when nothing there resembles it.
double clipGain(const std::vector<std::int16_t>& recorded, std::size_t from, std::size_t span,
                const std::vector<float>& clip) {
    double clipEnergy = 0;
    for (std::size_t i = 0; i < kWindow; ++i) clipEnergy += double(clip[i]) * clip[i];
    double best = 0;
    double bestGain = 0;
    const std::size_t frames = recorded.size() / 2;
    for (std::size_t at = from; at + kWindow < std::min(frames, from + span); ++at) {
        double dot = 0;
        double energy = 0;
        for (std::size_t i = 0; i < kWindow; ++i) {
            const double value = recorded[2 * (at + i)] / 32768.0;
            dot += value * clip[i];
            energy += value * value;
        }
        const double correlation = energy > 0 ? dot / std::sqrt(energy * clipEnergy) : 0;
        if (correlation > best) {
            best = correlation;
            bestGain = dot / clipEnergy;
        }
    }
    // Below this, what matched was the tone or noise, not the clip.
    return best > 0.08 ? bestGain : 0.0;
}

// The amplitude of `hz` (of full scale) over `count` frames from `from`.
double toneLevel(const std::vector<std::int16_t>& recorded, std::size_t from, std::size_t count,
                 double hz) {
    double re = 0;
    double im = 0;
    for (std::size_t i = 0; i < count && 2 * (from + i) < recorded.size(); ++i) {
        const double value = recorded[2 * (from + i)] / 32768.0;
        re += value * std::cos(2 * std::numbers::pi * hz * double(i) / kRate);
        im += value * std::sin(2 * std::numbers::pi * hz * double(i) / kRate);
    }
    return 2 * std::hypot(re, im) / double(count);
}

class VoiceChat : public ::testing::TestWithParam<Kind> {
  protected:
    void SetUp() override {
        // Room for the slowed threads of the sanitizers; the benchmark
        // measures at the program's own buffers.
        setenv("PULSE_LATENCY_MSEC", "30", 1);
        ASSERT_TRUE(m_server.start()) << "the sound server did not start";
        m_server.useInThisProcess();
        m_before = snapshot();
    }
    void TearDown() override {
        setVoiceChat(false);
        m_recordings.clear();
        m_server.kill();
        unsetenv("PULSE_SERVER");
        unsetenv("PIPEWIRE_RUNTIME_DIR");
        unsetenv("PULSE_LATENCY_MSEC");
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }

    // What the server holds: its modules (with their arguments), sinks,
    // sources and defaults.
    std::string snapshot() const {
        std::string all;
        for (const char* what : {"modules", "sinks", "sources"}) {
            std::istringstream lines(m_server.pactl({"list", "short", what}).value_or(""));
            std::set<std::string> names;
            for (std::string line; std::getline(lines, line);) {
                std::istringstream fields(line);
                std::string index, name, argument;
                std::getline(fields, index, '\t');
                std::getline(fields, name, '\t');
                if (std::string_view(what) == "modules") std::getline(fields, argument, '\t');
                names.insert(name + " " + argument);
            }
            for (const auto& name : names) all += std::string(what) + ": " + name + "\n";
        }
        std::istringstream info(m_server.pactl({"info"}).value_or(""));
        for (std::string line; std::getline(info, line);) {
            if (line.starts_with("Default Sink") || line.starts_with("Default Source")) {
                all += line + "\n";
            }
        }
        return all;
    }
    bool hasVirtualMicrophone() const {
        return snapshot().find(std::string("sources: ") + kVoiceChatSourceName) !=
               std::string::npos;
    }

    bool waitForState(State state, std::chrono::milliseconds within = 10s) {
        return pumpMainLoopUntil([&] { return voiceChatStatus().state == state; }, within);
    }
    // Waits until the last 8192 frames `recording` holds carry the tone: the
    // PulseAudio daemon's tone source has a fixed latency of 2 s and sends
    // blocks of a second or so.
    bool waitForTone(const MonitorRecording& recording) {
        return pumpMainLoopUntil(
            [&] {
                const std::size_t frames = recording.frames();
                return frames > 8192 &&
                       toneLevel(recording.samples(), frames - 8192, 8192, 440) > 0.4;
            },
            10s);
    }
    MonitorRecording& record(const std::string& source, bool monitor = false) {
        auto recording = monitor ? std::make_unique<MonitorRecording>(m_server.address(), source)
                                 : std::make_unique<MonitorRecording>(
                                       m_server.address(), MonitorRecording::Source{source});
        EXPECT_TRUE(recording->waitUntilFlowing()) << source;
        m_recordings.push_back(std::move(recording));
        return *m_recordings.back();
    }
    SystemSoundID registerClip(const std::vector<float>& clip) {
        SystemSoundID sound = 0;
        const auto path = sbtest::audio::writeFixture("clip.aiff", clipFile(clip));
        EXPECT_EQ(AudioServicesCreateSystemSoundID(sbtest::audio::fileURL(path), &sound),
                  kAudioServicesNoError);
        return sound;
    }
    // The real program, headless, playing into a call.
    std::unique_ptr<ChildProcess> startProgram(bool voiceChat = true) {
        ChildProcess::Options options;
        options.errors = ChildProcess::Errors::WithOutput;
        options.environmentChanges = {"PULSE_SERVER=" + m_server.address(), "SDL_AUDIODRIVER",
                                      "LSAN_OPTIONS=suppressions=" SB_LSAN_SUPPRESSIONS
                                      ":print_suppressions=0"};
        std::vector<std::string> arguments{SB_SOUNDBOARD_PROGRAM, "--headless"};
        if (voiceChat) arguments.emplace_back("--voice-chat");
        return std::make_unique<ChildProcess>(arguments, options);
    }

    PrivateSoundServer m_server{sbtest::tempDir() / "server", GetParam()};
    std::string m_before;
    std::vector<std::unique_ptr<MonitorRecording>> m_recordings;
};

TEST_P(VoiceChat, CarriesTheMicrophoneAndTheClipsWhileTheSpeakersHearOnlyTheClips) {
    setVoiceChat(true);
    ASSERT_TRUE(waitForState(State::On)) << voiceChatStatus().reason;
    EXPECT_TRUE(
        pumpMainLoopUntil([] { return voiceChatStatus().microphoneInUse == "sine"; }, 5000ms));
    for (const auto& sink : audioOutputDevices()) EXPECT_NE(sink.name, kVoiceChatSinkName);
    for (const auto& source : voiceChatMicrophones()) {
        EXPECT_NE(source.description, kVoiceChatMicrophoneDescription);
    }
    const auto clip = clipSamples(0.5);
    const SystemSoundID sound = registerClip(clip);
    MonitorRecording& call = record(kVoiceChatSourceName);
    MonitorRecording& speakers = record("alpha", true);

    ASSERT_TRUE(waitForTone(call)) << "no microphone";

    const std::size_t callFrom = call.frames();
    const std::size_t speakersFrom = speakers.frames();
    AudioServicesPlaySystemSound(sound);
    ASSERT_TRUE(call.waitForFrames(kRate, 5000ms));
    ASSERT_TRUE(speakers.waitForFrames(kRate / 2, 5000ms));
    const auto heard = call.samples();
    // PipeWire resamples to its 48 kHz and back: the match is a little less exact.
    const double tolerance = GetParam() == Kind::PipeWire ? 0.4 : 0.1;
    EXPECT_NEAR(clipGain(heard, callFrom, kRate, clip), 1.0, tolerance) << "no clip";
    // The test server's microphone sends a second at a time: on a busy machine
    // a block may come late and leave part of this second without the tone.
    EXPECT_GT(toneLevel(heard, callFrom, kRate, 440), 0.05) << "the tone stopped";
    EXPECT_LT(toneLevel(heard, callFrom, kRate, 440), 0.6) << "the tone is louder than it was";
    const auto played = speakers.samples();
    EXPECT_NEAR(clipGain(played, speakersFrom, kRate / 2, clip), 1.0, tolerance);
    EXPECT_LT(toneLevel(played, speakersFrom, kRate / 2, 440), 0.01) << "the user hears the tone";

    // Default devices untouched while on; nothing left once off.
    const std::string on = snapshot();
    EXPECT_NE(on.find("Default Sink: alpha"), std::string::npos);
    EXPECT_NE(on.find("Default Source: sine"), std::string::npos);
    setVoiceChat(false);
    EXPECT_EQ(snapshot(), m_before);
}

// How loud the clip is, relative to a play at full level just before, in
// the call and at the speakers; and the tone's level in the call.
struct Levels {
    double call;
    double speakers;
    double tone;
};

struct LevelCase {
    const char* name;
    std::function<void()> change;
    // Windows for the clip's level after the change, as a share of before.
    double callLeast, callMost;
    double speakersLeast, speakersMost;
};

TEST_P(VoiceChat, LevelMuteStopAllAndHearingMyselfChangeWhatIsRecorded) {
    if (GetParam() == Kind::PipeWire) {
        GTEST_SKIP() << "on PipeWire the microphone's tone is missing from the call while the "
                        "clip loops; not yet understood";
    }
    // Shares, wide enough for a loaded machine's gaps and PipeWire's
    // resampling: "less" is clearly under full, "silent" clearly under half.
    const std::vector<LevelCase> cases{
        {"volume 50%", [] { setSystemSoundVolume(50); }, 0.25, 0.8, 0.25, 0.8},
        {"mute", [] { setSystemSoundMuted(true); }, 0.0, 0.15, 0.0, 0.15},
        {"stop all", [] { stopAllSystemSounds(); }, 0.0, 0.15, 0.0, 0.15},
        {"hear sounds myself off", [] { setHearSoundsMyself(false); }, 0.6, 1.5, 0.0, 0.15},
    };
    setVoiceChat(true);
    ASSERT_TRUE(waitForState(State::On)) << voiceChatStatus().reason;
    const auto clip = clipSamples(0.5);
    const SystemSoundID sound = registerClip(clip);
    MonitorRecording& call = record(kVoiceChatSourceName);
    MonitorRecording& speakers = record("alpha", true);
    ASSERT_TRUE(waitForTone(call));
    // Levels over the next half second of each recording.
    const auto measure = [&] {
        const std::size_t callFrom = call.frames();
        const std::size_t speakersFrom = speakers.frames();
        EXPECT_TRUE(call.waitForFrames(kRate * 6 / 10, 10s));
        EXPECT_TRUE(speakers.waitForFrames(kRate * 6 / 10, 10s));
        const auto heard = call.samples();
        return Levels{clipGain(heard, callFrom, kRate / 2, clip),
                      clipGain(speakers.samples(), speakersFrom, kRate / 2, clip),
                      toneLevel(heard, callFrom, kRate / 2, 440)};
    };
    for (const LevelCase& row : cases) {
        SCOPED_TRACE(row.name);
        setSystemSoundVolume(100);
        setSystemSoundMuted(false);
        setHearSoundsMyself(true);
        AudioServicesPlaySystemSoundWithOptions(sound, {0, true});
        // The first measure may catch the start: the clip has to be heard.
        Levels full{};
        for (int i = 0; i < 10 && (full.call < 0.5 || full.speakers < 0.5); ++i) full = measure();
        ASSERT_GT(full.call, 0.5) << "no clip in the call";
        ASSERT_GT(full.speakers, 0.5) << "no clip at the speakers";
        row.change();
        // The change shows once the buffers and a stop's fade have passed:
        // measured again until it does, a few seconds at most.
        const auto within = [&](const Levels& now) {
            const double callShare = now.call / full.call;
            const double speakersShare = now.speakers / full.speakers;
            return callShare >= row.callLeast && callShare <= row.callMost &&
                   speakersShare >= row.speakersLeast && speakersShare <= row.speakersMost;
        };
        Levels now = measure();
        for (int i = 0; i < 10 && !within(now); ++i) now = measure();
        EXPECT_TRUE(within(now)) << "call " << now.call << " of " << full.call << ", speakers "
                                 << now.speakers << " of " << full.speakers;
        EXPECT_GT(now.tone, 0.2) << "the microphone's tone went with the clip";
        stopAllSystemSounds();
    }
}

struct EndCase {
    const char* name;
    int signal;
    // Killed outright, then started (with the mode or without) and ended again.
    bool startAgain;
    bool againWithVoiceChat;
};

TEST_P(VoiceChat, TheProgramLeavesTheServerAsItFoundIt) {
    const std::vector<EndCase> cases{
        {"SIGINT", SIGINT, false, false},
        {"SIGTERM", SIGTERM, false, false},
        {"SIGKILL, then a start and a quit", SIGKILL, true, true},
        {"SIGKILL, then a start with the mode off and a quit", SIGKILL, true, false},
    };
    for (const EndCase& row : cases) {
        SCOPED_TRACE(row.name);
        auto program = startProgram();
        ASSERT_TRUE(program->waitForLine("is ready for call programs"));
        EXPECT_TRUE(hasVirtualMicrophone());
        program->sendSignal(row.signal);
        const int status = program->finish();
        if (row.startAgain) {
            EXPECT_TRUE(hasVirtualMicrophone()) << "a killed program removed its own";
            auto again = startProgram(row.againWithVoiceChat);
            ASSERT_TRUE(again->waitForLine("a copy that is no longer running left"));
            if (row.againWithVoiceChat) {
                ASSERT_TRUE(again->waitForLine("is ready for call programs"))
                    << ::testing::PrintToString(again->lines()) << snapshot();
            }
            again->sendSignal(SIGTERM);
            // (Without the mode, the signal may come before the run loop takes it.)
            const int againStatus = again->finish();
            if (row.againWithVoiceChat) {
                EXPECT_TRUE(WIFEXITED(againStatus)) << againStatus;
            }
        } else {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        }
        EXPECT_EQ(snapshot(), m_before);
    }
}

TEST_P(VoiceChat, ASecondCopyMakesNoneUntilTheFirstLetsGoThenTakesOver) {
    struct Case {
        const char* name;
        int signal;
    };
    for (const Case& row :
         {Case{"the first quits", SIGTERM}, Case{"the first is killed", SIGKILL}}) {
        SCOPED_TRACE(row.name);
        auto first = startProgram();
        ASSERT_TRUE(first->waitForLine("is ready for call programs"));
        const std::string withFirst = snapshot();
        auto second = startProgram();
        ASSERT_TRUE(second->waitForLine("already provides"));
        EXPECT_EQ(snapshot(), withFirst) << "the second copy touched the first one's";
        EXPECT_EQ(second->countLinesContaining("is ready for call programs"), 0u);
        first->sendSignal(row.signal);
        first->finish();
        // No polling: the server's module events or the first's exit wake it.
        ASSERT_TRUE(second->waitForLine("is ready for call programs"))
            << ::testing::PrintToString(second->lines()) << snapshot();
        EXPECT_TRUE(hasVirtualMicrophone())
            << ::testing::PrintToString(second->lines()) << snapshot();
        EXPECT_EQ(second->countLinesContaining("already provides"), 1u);
        second->sendSignal(SIGTERM);
        second->finish();
        EXPECT_EQ(snapshot(), m_before);
    }
}

TEST_P(VoiceChat, ComesBackAfterTheServerRestarts) {
    LogCapture log;
    setVoiceChat(true);
    ASSERT_TRUE(waitForState(State::On));
    m_server.kill();
    ASSERT_TRUE(waitForState(State::NoServer));
    ASSERT_TRUE(m_server.start());
    ASSERT_TRUE(waitForState(State::On, 15s)) << voiceChatStatus().reason;
    EXPECT_TRUE(hasVirtualMicrophone());
    EXPECT_EQ(log.count("Voice chat: the sound server went away; “Soundboard Microphone” comes "
                        "back with it"),
              1u);
}

TEST_P(VoiceChat, AVanishedMicrophoneFallsBackToTheDefaultWithOneLine) {
    const auto module =
        m_server.pactl({"load-module", "module-remap-source", "source_name=headset",
                        "master=beta.monitor", "source_properties=device.description=Headset"});
    ASSERT_TRUE(module);
    LogCapture log;
    setVoiceChatMicrophone(std::string("headset"));
    setVoiceChat(true);
    ASSERT_TRUE(
        pumpMainLoopUntil([] { return voiceChatStatus().microphoneInUse == "headset"; }, 10s));
    m_server.pactl({"unload-module", module->substr(0, module->find('\n'))});
    ASSERT_TRUE(pumpMainLoopUntil([] { return voiceChatStatus().microphoneInUse == "sine"; }, 10s));
    EXPECT_EQ(log.count("Voice chat: microphone “headset” is not available; passing the system "
                        "default through"),
              1u);
    EXPECT_EQ(voiceChatStatus().state, State::On);
}

INSTANTIATE_TEST_SUITE_P(Servers, VoiceChat, ::testing::Values(Kind::PulseAudio, Kind::PipeWire),
                         [](const auto& info) {
                             return info.param == Kind::PulseAudio ? "PulseAudio" : "PipeWire";
                         });

TEST(VoiceChatWithoutServer, SaysSoOnceAndWaitsForOne) {
    setenv("PULSE_SERVER", ("unix:" + (sbtest::tempDir() / "none").string()).c_str(), 1);
    LogCapture log;
    setVoiceChat(true);
    EXPECT_TRUE(
        pumpMainLoopUntil([] { return voiceChatStatus().state == State::NoServer; }, 5000ms));
    EXPECT_EQ(voiceChatStatus().reason, "no sound server");
    // Tried again several times meanwhile, said once.
    pumpMainLoopUntil([] { return false; }, 700ms);
    EXPECT_EQ(log.count("Voice chat: no sound server answers; “Soundboard Microphone” is made "
                        "once one does"),
              1u);
    setVoiceChat(false);
    unsetenv("PULSE_SERVER");
}

}  // namespace
