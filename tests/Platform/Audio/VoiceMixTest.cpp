// The voice chat's pieces that need no server: the ring the mixer's thread
// fills, the sum with the microphone and its bounds, and how a module's owner
// is read from its argument.

#include "Platform/Audio/MicrophoneBuffer.h"
#include "Platform/Audio/SampleRing.h"
#include "Platform/Audio/VoiceChatOwner.h"
#include "Platform/Audio/VoiceMix.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using platform::SampleRing;
using platform::VoiceMix;

TEST(SampleRing, HandsSamplesOverInOrderAndDropsABlockThatDoesNotFit) {
    SampleRing ring(6);  // rounded up to 8
    const std::vector<float> in{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(ring.write(in.data(), in.size()), 0u);
    EXPECT_EQ(ring.write(in.data(), 8), 8u);
    std::vector<float> out(3);
    EXPECT_EQ(ring.read(out.data(), 3), 3u);
    EXPECT_EQ(out, (std::vector<float>{1, 2, 3}));
    ring.discard(2);
    EXPECT_EQ(ring.write(in.data(), 2), 2u);
    out.resize(10);
    EXPECT_EQ(ring.read(out.data(), 10), 5u);
    EXPECT_EQ(std::vector<float>(out.begin(), out.begin() + 5),
              (std::vector<float>{6, 7, 8, 1, 2}));
    EXPECT_EQ(ring.available(), 0u);
}

// Stereo frames of one value.
std::vector<float> frames(std::size_t count, float value) {
    return std::vector<float>(2 * count, value);
}

struct MixCase {
    const char* name;
    std::size_t soundFrames;
    float sound;
    std::size_t microphoneFrames;
    float microphone;
    // The first and the last sample of a render of kPrimeFrames frames.
    float first;
    float last;
};

TEST(VoiceMix, SumsPrimedInputsWithinTheCeilingAndBoundsTheDelay) {
    constexpr std::size_t prime = VoiceMix::kPrimeFrames;
    const float ceiling = platform::MasterBus::kCeiling;
    const std::vector<MixCase> cases{
        {"both primed", prime, 0.25f, prime, 0.25f, 0.5f, 0.5f},
        {"sounds not primed yet", prime - 1, 0.25f, prime, 0.25f, 0.25f, 0.25f},
        {"microphone not primed yet", prime, 0.25f, prime - 1, 0.25f, 0.25f, 0.25f},
        {"a loud clip over a loud voice", prime, 0.8f, prime, 0.8f, ceiling, ceiling},
        {"a backlog is cut to the bound", 4 * VoiceMix::kMostSoundFrames, 0.25f, 0, 0, 0.25f,
         0.25f},
    };
    for (const MixCase& row : cases) {
        SCOPED_TRACE(row.name);
        SampleRing ring(16384);
        VoiceMix mix(44100, 2);
        const auto sounds = frames(row.soundFrames, row.sound);
        ring.write(sounds.data(), sounds.size());
        const auto microphone = frames(row.microphoneFrames, row.microphone);
        mix.addMicrophone(microphone.data(), row.microphoneFrames);
        std::vector<float> out(2 * prime);
        mix.render(ring, out.data(), prime);
        EXPECT_FLOAT_EQ(out.front(), row.first);
        EXPECT_FLOAT_EQ(out.back(), row.last);
        EXPECT_LE(ring.available(), 2 * VoiceMix::kMostSoundFrames);
    }
}

// A stretch of a microphone's life: `renders` renders of `render` frames,
// before every `every`th of them `adds` arrivals of `frames` each.
struct Phase {
    std::size_t frames;
    int adds;
    int every;
    std::size_t render;
    int renders;
};

struct BufferCase {
    const char* name;
    std::vector<Phase> phases;
    // Places where the frames that came out do not follow on (a cut).
    int mostCuts;
    // What waits at the end: the delay it settled at.
    std::size_t mostEndFrames;
    std::size_t endMost;
};

TEST(MicrophoneBuffer, DelaysBurstsWithoutCuttingThemAndComesBackToASmallDepth) {
    using platform::MicrophoneBuffer;
    constexpr std::size_t prime = MicrophoneBuffer::kPrimeFrames;
    constexpr std::size_t least = MicrophoneBuffer::kMostFrames;
    const Phase steady{220, 1, 1, 220, 2000};  // 5 ms fragments for 10 s
    const Phase early{44100, 1, 90, 441, 90};
    const Phase late{44100, 1, 110, 441, 110};
    const std::size_t block = 2 * 44100 + prime;
    const std::vector<BufferCase> cases{
        {"a steady microphone", {steady}, 0, prime, least},
        {"one late wake-up, then steady",
         {{220, 1, 1, 220, 200}, {220, 11, 1, 220, 1}, steady},
         1,
         prime,
         least},
        {"a second at a time, on time", {{44100, 1, 100, 441, 1000}}, 0, 44100, block},
        {"a second at a time, early and late",
         {early, late, early, late, early, late},
         0,
         44100,
         block},
        {"a reader that stalls, then resumes", {{220, 2000, 1, 220, 1}, steady}, 1, prime, least},
        {"more than the ring holds at once", {{4 * 44100, 1, 1, 441, 1}}, 0, 3 * 44100, 3 * 44100},
    };
    for (const BufferCase& row : cases) {
        SCOPED_TRACE(row.name);
        MicrophoneBuffer buffer(44100, 2);
        EXPECT_EQ(buffer.capacityFrames(), 3u * 44100);
        // Each frame carries its number (from 1) on both channels.
        float next = 1;
        float last = 0;
        int cuts = 0;
        std::vector<float> in;
        std::vector<float> out;
        for (const Phase& phase : row.phases) {
            for (int r = 0; r < phase.renders; ++r) {
                for (int a = 0; r % phase.every == 0 && a < phase.adds; ++a) {
                    in.resize(2 * phase.frames);
                    for (std::size_t f = 0; f < phase.frames; ++f)
                        in[2 * f] = in[2 * f + 1] = next++;
                    buffer.add(in.data(), phase.frames);
                    EXPECT_LE(buffer.frames(), buffer.capacityFrames());
                }
                out.assign(2 * phase.render, 0.0f);
                const std::size_t given = buffer.mixInto(out.data(), phase.render);
                for (std::size_t f = 0; f < phase.render; ++f) {
                    ASSERT_EQ(out[2 * f], out[2 * f + 1]);
                    if (f >= given) {
                        EXPECT_EQ(out[2 * f], 0.0f) << "past what was given";
                        continue;
                    }
                    if (last != 0 && out[2 * f] != last + 1) ++cuts;
                    last = out[2 * f];
                }
            }
        }
        EXPECT_LE(cuts, row.mostCuts);
        EXPECT_LE(buffer.frames(), row.mostEndFrames);
        EXPECT_EQ(buffer.mostFrames(), row.endMost);
        EXPECT_GT(last, 0.0f) << "nothing came out";
        buffer.clear();
        EXPECT_EQ(buffer.frames(), 0u);
        EXPECT_EQ(buffer.mostFrames(), least);
    }
}

TEST(VoiceChatOwner, ReadsTheOwnerOnlyFromItsOwnProperty) {
    namespace owner = platform::voice_chat_owner;
    const std::vector<std::pair<std::string, std::optional<pid_t>>> cases{
        {"sink_properties='device.description=\"X\" soundboard.voice-chat.owner=4242'", 4242},
        {"sink_properties=soundboard.voice-chat.owner=17", std::nullopt},
        {"source_properties='soundboard.voice-chat.owner=17'", 17},
        {"sink_name=soundboard_voice_chat", std::nullopt},
        {"x='my.soundboard.voice-chat.owner=12'", std::nullopt},
        {"x='soundboard.voice-chat.owner=-3'", std::nullopt},
        {"x='soundboard.voice-chat.owner=abc'", std::nullopt},
        {"x='soundboard.voice-chat.owner=99999999999999999999'", std::nullopt},
    };
    for (const auto& [argument, expected] : cases) {
        EXPECT_EQ(owner::ownerIn(argument), expected) << argument;
    }
    EXPECT_FALSE(owner::isOtherLiveCopy(getpid())) << "this process is no other copy";
    EXPECT_FALSE(owner::isOtherLiveCopy(getppid())) << "another program is no copy";
}

TEST(VoiceChatOwner, TellsWhatThisComputerMadeFromWhatAnotherDid) {
    namespace owner = platform::voice_chat_owner;
    const std::string here = owner::thisMachine();
    ASSERT_FALSE(here.empty());
    const std::vector<std::pair<std::string, bool>> cases{
        {"x='soundboard.voice-chat.owner=17 soundboard.voice-chat.machine=" + here + "'", true},
        {"x='soundboard.voice-chat.owner=17 soundboard.voice-chat.machine=" + here + "0'", false},
        {"x='soundboard.voice-chat.owner=17 soundboard.voice-chat.machine=elsewhere'", false},
        // Made before the computer was named: taken as this computer's.
        {"x='soundboard.voice-chat.owner=17'", true},
        {"x='soundboard.voice-chat.owner=17 my.soundboard.voice-chat.machine=elsewhere'", true},
    };
    for (const auto& [argument, expected] : cases) {
        EXPECT_EQ(owner::madeHere(argument), expected) << argument;
    }
}

}  // namespace
