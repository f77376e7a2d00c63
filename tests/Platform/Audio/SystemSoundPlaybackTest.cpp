#include "Platform/Audio/SystemSounds.h"
#include "SoundFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace platform;
using sbtest::audio::fileURL;
using sbtest::audio::makeAiff;
using sbtest::audio::writeFixture;

constexpr std::size_t kMixerChannels = 32;

// A clip far longer than any test runs, so that what plays still plays when
// the test looks. 8 kHz keeps the fixture small.
SystemSoundID registerLongSound(const std::string& name) {
    SystemSoundID soundID = 0;
    const OSStatus status = AudioServicesCreateSystemSoundID(
        fileURL(writeFixture(name, makeAiff({8000, 1, 16}, 20.0))), &soundID);
    EXPECT_EQ(status, kAudioServicesNoError);
    return soundID;
}

TEST(SystemSoundPlayback, PlaysOverlapAndEachCounts) {
    const SystemSoundID horn = registerLongSound("horn.aiff");
    const SystemSoundID bell = registerLongSound("bell.aiff");
    const std::uint64_t playsBefore = playCount();

    AudioServicesPlaySystemSound(horn);
    AudioServicesPlaySystemSound(horn);
    AudioServicesPlaySystemSound(bell);

    EXPECT_EQ(playCount() - playsBefore, 3u);
    EXPECT_EQ(playingSoundCount(), 3u);
    EXPECT_EQ(playingSoundCount(horn), 2u);
    EXPECT_EQ(playingSoundCount(bell), 1u);
}

TEST(SystemSoundPlayback, WhenEveryChannelIsBusyTheOldestPlayGivesWay) {
    const SystemSoundID first = registerLongSound("first.aiff");
    const SystemSoundID later = registerLongSound("later.aiff");

    AudioServicesPlaySystemSound(first);
    for (std::size_t i = 1; i < kMixerChannels; ++i) AudioServicesPlaySystemSound(later);
    ASSERT_EQ(playingSoundCount(), kMixerChannels);
    ASSERT_EQ(playingSoundCount(first), 1u);

    const std::uint64_t playsBefore = playCount();
    AudioServicesPlaySystemSound(later);
    EXPECT_EQ(playCount() - playsBefore, 1u);
    EXPECT_EQ(playingSoundCount(), kMixerChannels);
    EXPECT_EQ(playingSoundCount(first), 0u);
    EXPECT_EQ(playingSoundCount(later), kMixerChannels);

    // The next oldest are the earliest plays of `later`: `first` stays gone.
    AudioServicesPlaySystemSound(first);
    EXPECT_EQ(playingSoundCount(first), 1u);
    EXPECT_EQ(playingSoundCount(later), kMixerChannels - 1);
}

TEST(SystemSoundPlayback, PlaysOfIdsWithoutASoundAreIgnored) {
    const SystemSoundID known = registerLongSound("known.aiff");
    const SystemSoundID disposed = registerLongSound("disposed.aiff");
    ASSERT_EQ(AudioServicesDisposeSystemSoundID(disposed), kAudioServicesNoError);
    const std::uint64_t playsBefore = playCount();
    const std::uint64_t vibrationsBefore = vibrationCount();

    for (SystemSoundID unknown :
         {SystemSoundID{0}, disposed, known + 1000, SystemSoundID{0xFFFFFFFF},
          SystemSoundID{kSystemSoundID_Vibrate + 1}}) {
        SCOPED_TRACE(unknown);
        AudioServicesPlaySystemSound(unknown);
    }
    EXPECT_EQ(playCount(), playsBefore);
    EXPECT_EQ(vibrationCount(), vibrationsBefore);
    EXPECT_EQ(playingSoundCount(), 0u);
}

TEST(SystemSoundPlayback, VibrationIdCallsTheHapticHookInsteadOfPlaying) {
    const SystemSoundID sound = registerLongSound("sound.aiff");
    int calls = 0;
    setVibrationHandler([&calls] { ++calls; });
    const std::uint64_t vibrationsBefore = vibrationCount();
    const std::uint64_t playsBefore = playCount();

    AudioServicesPlaySystemSound(kSystemSoundID_Vibrate);
    AudioServicesPlaySystemSound(sound);
    AudioServicesPlaySystemSound(kSystemSoundID_Vibrate);

    EXPECT_EQ(calls, 2);
    EXPECT_EQ(vibrationCount() - vibrationsBefore, 2u);
    EXPECT_EQ(playCount() - playsBefore, 1u);  // only the real sound
    EXPECT_EQ(playingSoundCount(), 1u);
}

TEST(SystemSoundPlayback, VibrationCountsWithoutAHandlerAndWithoutAnOutput) {
    const std::uint64_t before = vibrationCount();
    AudioServicesPlaySystemSound(kSystemSoundID_Vibrate);
    EXPECT_EQ(vibrationCount() - before, 1u);
    EXPECT_FALSE(audio_diagnostics::outputFormat().has_value());
}

TEST(SystemSoundPlayback, VibrationHandlerMayCallBackIn) {
    const SystemSoundID sound = registerLongSound("inner.aiff");
    setVibrationHandler([sound] {
        AudioServicesPlaySystemSound(sound);
        setVibrationHandler(nullptr);  // replacing the running handler is allowed
    });
    AudioServicesPlaySystemSound(kSystemSoundID_Vibrate);
    AudioServicesPlaySystemSound(kSystemSoundID_Vibrate);  // no handler any more
    EXPECT_EQ(playingSoundCount(sound), 1u);
}

TEST(SystemSoundPlayback, DisposeStopsTheSoundWhereItPlaysAndLaterPlaysAreIgnored) {
    const SystemSoundID gone = registerLongSound("gone.aiff");
    const SystemSoundID stays = registerLongSound("stays.aiff");
    AudioServicesPlaySystemSound(gone);
    AudioServicesPlaySystemSound(gone);
    AudioServicesPlaySystemSound(stays);
    ASSERT_EQ(playingSoundCount(), 3u);

    EXPECT_EQ(AudioServicesDisposeSystemSoundID(gone), kAudioServicesNoError);
    EXPECT_EQ(playingSoundCount(), 1u);
    EXPECT_EQ(playingSoundCount(stays), 1u);

    const std::uint64_t playsBefore = playCount();
    AudioServicesPlaySystemSound(gone);
    EXPECT_EQ(playCount(), playsBefore);
    EXPECT_EQ(playingSoundCount(), 1u);
}

TEST(SystemSoundPlayback, DisposeOfAnIdWithoutASoundIsAnError) {
    const SystemSoundID sound = registerLongSound("once.aiff");
    ASSERT_EQ(AudioServicesDisposeSystemSoundID(sound), kAudioServicesNoError);
    for (SystemSoundID id : {sound, SystemSoundID{0}, SystemSoundID{kSystemSoundID_Vibrate},
                             SystemSoundID{sound + 1}, SystemSoundID{0xFFFFFFFF}}) {
        SCOPED_TRACE(id);
        EXPECT_NE(AudioServicesDisposeSystemSoundID(id), kAudioServicesNoError);
    }
}

TEST(SystemSoundPlayback, IdsAreNotReusedWhileTheirSoundIsRegistered) {
    std::vector<SystemSoundID> kept;
    for (int i = 0; i < 4; ++i) kept.push_back(registerLongSound("k" + std::to_string(i)));
    const SystemSoundID dropped = registerLongSound("dropped.aiff");
    ASSERT_EQ(AudioServicesDisposeSystemSoundID(dropped), kAudioServicesNoError);
    const SystemSoundID fresh = registerLongSound("fresh.aiff");
    for (SystemSoundID id : kept) EXPECT_NE(fresh, id);

    AudioServicesPlaySystemSound(fresh);
    EXPECT_EQ(playingSoundCount(fresh), 1u);
    for (SystemSoundID id : kept) EXPECT_EQ(playingSoundCount(id), 0u);
}

TEST(SystemSoundPlayback, ResetStopsAndForgetsEverySound) {
    const SystemSoundID sound = registerLongSound("reset.aiff");
    AudioServicesPlaySystemSound(sound);
    audio_diagnostics::resetForTesting();

    EXPECT_EQ(playingSoundCount(), 0u);
    EXPECT_FALSE(audio_diagnostics::outputFormat().has_value());
    EXPECT_NE(AudioServicesDisposeSystemSoundID(sound), kAudioServicesNoError);

    const SystemSoundID again = registerLongSound("again.aiff");
    AudioServicesPlaySystemSound(again);
    EXPECT_EQ(playingSoundCount(), 1u);
}

}  // namespace
