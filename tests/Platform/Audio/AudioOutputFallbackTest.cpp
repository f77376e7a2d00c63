#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/Log.h"
#include "SoundFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using namespace platform;
using sbtest::audio::fileURL;
using sbtest::audio::makeAiff;
using sbtest::audio::writeFixture;

// Points SDL at an audio driver that does not exist, so no output device can
// open, and puts the test environment back afterwards.
class AudioOutputFallback : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* driver = std::getenv("SDL_AUDIODRIVER");
        m_savedDriver = driver != nullptr ? driver : "";
        audio_diagnostics::resetForTesting();
        setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    }
    void TearDown() override {
        audio_diagnostics::resetForTesting();
        setenv("SDL_AUDIODRIVER", m_savedDriver.c_str(), 1);
    }

  private:
    std::string m_savedDriver;
};

std::size_t fallbackLines(const LogCapture& capture) {
    std::size_t count = 0;
    for (const std::string& line : capture.messages()) {
        if (line.starts_with("Audio: no output device (") &&
            line.ends_with("); playing silently")) {
            ++count;
        }
    }
    return count;
}

TEST_F(AudioOutputFallback, EverythingWorksSilentlyAfterOneLogLine) {
    LogCapture capture;
    const URL url = fileURL(writeFixture("quiet.aiff", makeAiff({8000, 1, 16}, 20.0)));
    SystemSoundID first = 0;
    SystemSoundID second = 0;
    ASSERT_EQ(AudioServicesCreateSystemSoundID(url, &first), kAudioServicesNoError);
    ASSERT_EQ(AudioServicesCreateSystemSoundID(url, &second), kAudioServicesNoError);
    const std::uint64_t playsBefore = playCount();
    AudioServicesPlaySystemSound(first);
    AudioServicesPlaySystemSound(second);

    EXPECT_EQ(playCount() - playsBefore, 2u);
    EXPECT_EQ(playingSoundCount(), 2u);
    EXPECT_EQ(AudioServicesDisposeSystemSoundID(first), kAudioServicesNoError);
    const auto format = audio_diagnostics::outputFormat();
    ASSERT_TRUE(format.has_value());
    EXPECT_TRUE(format->silentFallback);
    EXPECT_EQ(fallbackLines(capture), 1u);
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_NE(capture.messages().front().find("no-such-driver"), std::string::npos)
        << "the line carries SDL's reason: " << capture.messages().front();
}

TEST_F(AudioOutputFallback, ReopeningAfterACloseTriesTheDeviceAgain) {
    LogCapture capture;
    const URL url = fileURL(writeFixture("again.aiff", makeAiff({}, 0.3)));
    SystemSoundID soundID = 0;
    ASSERT_EQ(AudioServicesCreateSystemSoundID(url, &soundID), kAudioServicesNoError);
    audio_diagnostics::resetForTesting();
    ASSERT_EQ(AudioServicesCreateSystemSoundID(url, &soundID), kAudioServicesNoError);
    EXPECT_EQ(fallbackLines(capture), 2u);  // one per opening, never per sound
}

}  // namespace
