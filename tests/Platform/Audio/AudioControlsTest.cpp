// Stop all, the master volume and the output device, on SDL's dummy driver with
// no sound server (so the server lists no device). The same on a real server:
// SoundServerTest.

#include "Platform/Audio/AudioDiagnostics.h"
#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Foundation/RunLoop.h"
#include "SoundFiles.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace platform;
using sbtest::audio::fileURL;
using sbtest::audio::makeAiff;
using sbtest::audio::writeFixture;

// Long enough to be still playing whenever the test looks.
SystemSoundID registerLongSound(const std::string& name) {
    SystemSoundID soundID = 0;
    EXPECT_EQ(AudioServicesCreateSystemSoundID(
                  fileURL(writeFixture(name, makeAiff({8000, 1, 16}, 20.0))), &soundID),
              kAudioServicesNoError);
    return soundID;
}

std::size_t unavailableLines(const LogCapture& capture) {
    std::size_t count = 0;
    for (const std::string& line : capture.messages()) {
        if (line.starts_with("Audio: output device") && line.ends_with("the system default")) {
            ++count;
        }
    }
    return count;
}

TEST(AudioControls, StopAllSilencesEveryPlayAtOnceAndKeepsTheSounds) {
    const SystemSoundID horn = registerLongSound("horn.aiff");
    const SystemSoundID bell = registerLongSound("bell.aiff");
    for (int i = 0; i < 3; ++i) AudioServicesPlaySystemSound(horn);
    AudioServicesPlaySystemSound(bell);
    ASSERT_EQ(playingSoundCount(), 4u);

    stopAllSystemSounds();
    EXPECT_EQ(playingSoundCount(), 0u);
    // Still registered: they play again.
    AudioServicesPlaySystemSound(bell);
    EXPECT_EQ(playingSoundCount(bell), 1u);
    EXPECT_EQ(AudioServicesDisposeSystemSoundID(horn), kAudioServicesNoError);
}

TEST(AudioControls, StopAllWithNothingOpenDoesNothing) {
    stopAllSystemSounds();
    EXPECT_EQ(playingSoundCount(), 0u);
}

TEST(AudioControls, VolumeIsClampedAndMuteKeepsTheLevel) {
    struct Case {
        int asked;
        int kept;
    };
    const std::vector<Case> cases{{50, 50}, {0, 0}, {100, 100}, {-20, 0}, {250, 100}, {73, 73}};
    registerLongSound("any.aiff");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        setSystemSoundVolume(c.asked);
        EXPECT_EQ(systemSoundVolume(), c.kept);
    }
    setSystemSoundVolume(40);
    setSystemSoundMuted(true);
    EXPECT_TRUE(isSystemSoundMuted());
    EXPECT_EQ(systemSoundVolume(), 40);
    setSystemSoundMuted(false);
    EXPECT_FALSE(isSystemSoundMuted());
}

TEST(AudioControls, VolumeSetBeforeTheOutputOpensHoldsAfterwards) {
    setSystemSoundVolume(30);
    setSystemSoundMuted(true);
    const SystemSoundID sound = registerLongSound("later.aiff");
    EXPECT_EQ(systemSoundVolume(), 30);
    EXPECT_TRUE(isSystemSoundMuted());
    // Muted plays still run (and count): only their level is nil.
    AudioServicesPlaySystemSound(sound);
    EXPECT_EQ(playingSoundCount(sound), 1u);
}

TEST(AudioControls, SDLsSilentStandInIsNeverListed) {
    registerLongSound("any.aiff");
    EXPECT_TRUE(audioOutputDevices().empty());
    EXPECT_EQ(audioOutputDevice(), "");
}

TEST(AudioControls, ADeviceThatIsGoneFallsBackToTheDefaultWithOneLogLine) {
    const SystemSoundID sound = registerLongSound("horn.aiff");
    LogCapture capture;
    EXPECT_FALSE(setAudioOutputDevice("Headphones That Were Unplugged"));
    EXPECT_EQ(audioOutputDevice(), "");
    EXPECT_EQ(unavailableLines(capture), 1u);
    AudioServicesPlaySystemSound(sound);
    EXPECT_EQ(playingSoundCount(sound), 1u);
    // Listing again finds nothing more to say.
    audioOutputDevices();
    EXPECT_EQ(unavailableLines(capture), 1u);
}

TEST(AudioControls, AKeptDeviceThatIsGoneAtStartFallsBackOnFirstUse) {
    // Chosen while the output is closed (as at start, from the preferences).
    EXPECT_TRUE(setAudioOutputDevice("USB Speaker"));
    EXPECT_EQ(audioOutputDevice(), "USB Speaker");
    LogCapture capture;
    const SystemSoundID sound = registerLongSound("horn.aiff");
    ASSERT_NE(sound, 0u);
    EXPECT_EQ(unavailableLines(capture), 1u);
    EXPECT_EQ(audioOutputDevice(), "");
    EXPECT_FALSE(audio_diagnostics::outputFormat()->silentFallback);
    AudioServicesPlaySystemSound(sound);
    EXPECT_EQ(playingSoundCount(sound), 1u);
}

TEST(AudioControls, ALostStreamHasTheOutputOpenedAgainOnTheMainLoop) {
    const SystemSoundID sound = registerLongSound("horn.aiff");
    AudioServicesPlaySystemSound(sound);
    LogCapture capture;
    // What SDL sends from its own thread when a playback device goes away.
    SDL_Event lost{};
    lost.type = SDL_AUDIODEVICEREMOVED;
    lost.adevice.iscapture = 0;
    lost.adevice.which = 2;  // an opened device (0 would be one that was only listed)
    ASSERT_EQ(SDL_PushEvent(&lost), 1);
    ASSERT_TRUE(SDL_HasEvent(SDL_AUDIODEVICEREMOVED));

    RunLoop::main().serviceDueWork();
    // The main loop took the event and opened the output again: what was
    // playing is gone with the lost stream, the sound is still registered
    // and plays, and nothing is logged.
    EXPECT_FALSE(SDL_HasEvent(SDL_AUDIODEVICEREMOVED));
    EXPECT_EQ(playingSoundCount(sound), 0u);
    EXPECT_EQ(unavailableLines(capture), 0u);
    AudioServicesPlaySystemSound(sound);
    EXPECT_EQ(playingSoundCount(sound), 1u);
}

}  // namespace
