// The voice chat's pieces that need no server: the ring the mixer's thread
// fills, the sum with the microphone and its bounds, and how a module's owner
// is read from its argument.

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

TEST(VoiceMix, TheMicrophoneQueueNeverGrowsPastItsBoundWhichFollowsItsBlocks) {
    VoiceMix mix(44100, 2);
    SampleRing sounds(1024);
    std::vector<float> out(2 * 220);
    const auto small = frames(220, 0.1f);
    for (int i = 0; i < 20; ++i) {
        mix.addMicrophone(small.data(), 220);
        mix.addMicrophone(small.data(), 220);
        mix.render(sounds, out.data(), 220);
    }
    // Twice as fast as it is taken: bounded at two bursts and a margin.
    EXPECT_EQ(mix.microphoneMostFrames(), 2 * 440 + VoiceMix::kPrimeFrames);
    EXPECT_LE(mix.microphoneFrames(), mix.microphoneMostFrames());
    // A source that sends a second at a time, in blocks, is delayed by a
    // burst, not cut.
    mix.clearMicrophone();
    const auto block = frames(4410, 0.1f);
    for (int i = 0; i < 30; ++i) mix.addMicrophone(block.data(), 4410);
    EXPECT_EQ(mix.microphoneFrames(), 4410u * 30);
    EXPECT_EQ(mix.microphonePrimeFrames(), 4410u * 30);
    mix.clearMicrophone();
    EXPECT_EQ(mix.microphoneFrames(), 0u);
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

}  // namespace
