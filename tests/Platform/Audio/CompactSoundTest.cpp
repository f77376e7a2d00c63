// Long sounds held as 16-bit samples: the floats they put in the mix are the
// ones a float chunk of the same file would have held.

#include "Platform/Audio/CompactSound.h"
#include "Platform/Audio/SystemSounds.h"
#include "SoundFiles.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace platform;
using sbtest::audio::fileURL;
using sbtest::audio::makeAiff;
using sbtest::audio::PcmFormat;
using sbtest::audio::writeFixture;

struct RenderCase {
    const char* title;
    std::vector<std::int16_t> samples;
    int storedChannels;
    std::size_t from;
    std::size_t frames;
    std::vector<float> expected;
};

TEST(CompactSound, RendersTheFloatsOfItsSamplesOverTheOutputsChannels) {
    constexpr float q = 1.0f / 32768.0f;
    const std::vector<RenderCase> cases{
        {"stereo as it is", {1, -2, 3, -4}, 2, 0, 2, {1 * q, -2 * q, 3 * q, -4 * q}},
        {"mono on both channels", {-32768, 32767}, 1, 0, 2, {-1.0f, -1.0f, 32767 * q, 32767 * q}},
        {"from a later frame", {10, 20, 30}, 1, 2, 1, {30 * q, 30 * q}},
        {"a loop starts over", {5, 6}, 1, 1, 3, {6 * q, 6 * q, 5 * q, 5 * q, 6 * q, 6 * q}},
        {"a start past the end wraps", {7, 8}, 2, 5, 1, {7 * q, 8 * q}},
    };
    for (const RenderCase& test : cases) {
        SCOPED_TRACE(test.title);
        const CompactSound sound(test.samples, test.storedChannels, 2);
        std::vector<float> out(test.frames * 2, 99.0f);
        sound.render(test.from, out.data(), test.frames);
        EXPECT_EQ(out, test.expected);
    }
}

struct LengthCase {
    const char* title;
    PcmFormat format;
    double seconds;
    bool compact;
};

TEST(CompactSound, TakesOnlyLongSoundsWhoseSamplesAreExactlySixteenBit) {
    const std::vector<LengthCase> cases{
        {"a short sound stays float", {44100, 2, 16}, 2.0, false},
        {"a long stereo one", {44100, 2, 16}, 12.0, true},
        {"a long mono one", {44100, 1, 16}, 12.0, true},
        {"resampled to the output's rate", {22050, 1, 16}, 12.0, false},
    };
    for (const LengthCase& test : cases) {
        SCOPED_TRACE(test.title);
        SystemSoundID sound = 0;
        ASSERT_EQ(
            AudioServicesCreateSystemSoundID(
                fileURL(writeFixture("long.aiff", makeAiff(test.format, test.seconds, 441.0))),
                &sound),
            kAudioServicesNoError);
        EXPECT_EQ(CompactSound::compactCount(), test.compact ? 1u : 0u);
        // Lengths and plays are those of the file whichever way it is held.
        ASSERT_TRUE(systemSoundDuration(sound).has_value());
        EXPECT_NEAR(*systemSoundDuration(sound), test.seconds, 0.001);
        EXPECT_EQ(AudioServicesDisposeSystemSoundID(sound), kAudioServicesNoError);
        EXPECT_EQ(CompactSound::compactCount(), 0u) << "disposing keeps the samples";
    }
}

}  // namespace
