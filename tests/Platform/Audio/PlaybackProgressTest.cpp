// A playing sound's progress follows the run loop's clock from the start of its
// newest play, and is gone once the play ends or stops sounding.

#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/RunLoop.h"
#include "SoundFiles.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace {

using namespace platform;
using sbtest::audio::fileURL;
using sbtest::audio::makeAiff;
using sbtest::audio::writeFixture;

// Far longer than the test runs at the dummy driver's real pace, so the mixer
// still plays it whatever the manual clock says.
constexpr double kClipSeconds = 20.0;

class PlaybackProgress : public ::testing::Test {
  protected:
    void SetUp() override { RunLoop::main().setClock(m_clock); }
    void TearDown() override { RunLoop::main().reset(); }

    SystemSoundID registerClip(const std::string& name) {
        SystemSoundID soundID = 0;
        EXPECT_EQ(AudioServicesCreateSystemSoundID(
                      fileURL(writeFixture(name, makeAiff({8000, 1, 16}, kClipSeconds))), &soundID),
                  kAudioServicesNoError);
        return soundID;
    }
    void advance(double seconds) { m_clock->advance(seconds); }

    std::shared_ptr<ManualClock> m_clock = std::make_shared<ManualClock>(50.0);
};

TEST_F(PlaybackProgress, FollowsTheClockFromTheStartToTheEnd) {
    const SystemSoundID clip = registerClip("clip.aiff");
    const SystemSoundID other = registerClip("other.aiff");
    EXPECT_FALSE(playbackProgress(clip)) << "not played yet";
    AudioServicesPlaySystemSound(clip);
    advance(3.0);
    AudioServicesPlaySystemSound(clip);  // the newest play counts

    struct Step {
        double advance;
        std::optional<double> progress;
    };
    const Step steps[] = {
        {0.0, 0.0}, {5.0, 0.25}, {5.0, 0.5}, {9.9, 0.995}, {0.1, std::nullopt}, {3.0, std::nullopt},
    };
    AudioServicesPlaySystemSound(other);  // another sound's play changes nothing
    double elapsed = 0;
    for (const Step& step : steps) {
        advance(step.advance);
        elapsed += step.advance;
        SCOPED_TRACE("after " + std::to_string(elapsed) + " s");
        const auto progress = playbackProgress(clip);
        ASSERT_EQ(progress.has_value(), step.progress.has_value());
        if (progress) {
            EXPECT_NEAR(*progress, *step.progress, 1e-3);
        }
    }
}

TEST_F(PlaybackProgress, NoneForSoundsThatDoNotSound) {
    const SystemSoundID disposed = registerClip("disposed.aiff");
    AudioServicesPlaySystemSound(disposed);
    ASSERT_TRUE(playbackProgress(disposed));
    ASSERT_EQ(AudioServicesDisposeSystemSoundID(disposed), kAudioServicesNoError);

    const SystemSoundID taken = registerClip("taken.aiff");
    const SystemSoundID other = registerClip("other.aiff");
    AudioServicesPlaySystemSound(taken);
    // Every channel taken by later plays: the first play gives way.
    for (int i = 0; i < 32; ++i) AudioServicesPlaySystemSound(other);
    ASSERT_EQ(playingSoundCount(taken), 0u);

    for (SystemSoundID soundID :
         {disposed, taken, SystemSoundID{0}, kSystemSoundID_Vibrate, SystemSoundID{0xFFFFFFFF}}) {
        SCOPED_TRACE(soundID);
        EXPECT_FALSE(playbackProgress(soundID));
    }
    EXPECT_TRUE(playbackProgress(other));
}

}  // namespace
