#include "Platform/Audio/SystemSounds.h"
#include "SoundFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace platform;
using sbtest::audio::fileURL;
using sbtest::audio::makeAiff;
using sbtest::audio::makeWav;
using sbtest::audio::PcmFormat;
using sbtest::audio::writeFixture;

constexpr SystemSoundID kUntouched = 0xC0FFEE;

TEST(SystemSoundRegistration, DecodesEveryPcmLayoutOfAiffAndWavIntoDistinctIds) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"mono16.aiff", makeAiff({22050, 1, 16}, 0.3)},
        {"stereo16.aiff", makeAiff({44100, 2, 16}, 0.2)},
        {"mono8.aiff", makeAiff({11025, 1, 8}, 0.25)},
        {"odd-length.aiff", makeAiff({8000, 1, 8}, 0.001)},  // 8 frames + pad byte
        {"mono16.wav", makeWav({22050, 1, 16}, 0.3)},
        {"stereo16.wav", makeWav({48000, 2, 16}, 0.2)},
        {"mono8.wav", makeWav({8000, 1, 8}, 0.5)},
    };
    std::set<SystemSoundID> ids;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SystemSoundID soundID = 0;
        EXPECT_EQ(
            AudioServicesCreateSystemSoundID(fileURL(writeFixture(c.name, c.bytes)), &soundID),
            kAudioServicesNoError);
        EXPECT_NE(soundID, 0u);
        EXPECT_NE(soundID, kSystemSoundID_Vibrate);
        ids.insert(soundID);
    }
    EXPECT_EQ(ids.size(), cases.size());
}

TEST(SystemSoundRegistration, RegisteringOneFileTwiceGivesTwoIndependentSounds) {
    const URL url = fileURL(writeFixture("twice.aiff", makeAiff({}, 5.0)));
    SystemSoundID first = 0;
    SystemSoundID second = 0;
    ASSERT_EQ(AudioServicesCreateSystemSoundID(url, &first), kAudioServicesNoError);
    ASSERT_EQ(AudioServicesCreateSystemSoundID(url, &second), kAudioServicesNoError);
    EXPECT_NE(first, second);

    AudioServicesPlaySystemSound(second);
    EXPECT_EQ(AudioServicesDisposeSystemSoundID(first), kAudioServicesNoError);
    EXPECT_EQ(playingSoundCount(second), 1u);
}

TEST(SystemSoundRegistration, AcceptsPathsWithoutSchemeAndEscapedFileURLs) {
    const std::string bytes = makeAiff({}, 0.2);
    const auto plain = writeFixture("plain.aiff", bytes);
    const auto spaced = writeFixture("with space & 100% \xC3\xA9t\xC3\xA9.aiff", bytes);
    const std::vector<URL> urls = {
        *URL::URLWithString(plain.string()),
        fileURL(spaced),
        *URL::URLWithString("FILE://" + plain.string()),
    };
    for (const URL& url : urls) {
        SCOPED_TRACE(url.absoluteString());
        SystemSoundID soundID = 0;
        EXPECT_EQ(AudioServicesCreateSystemSoundID(url, &soundID), kAudioServicesNoError);
        EXPECT_NE(soundID, 0u);
    }
}

TEST(SystemSoundRegistration, FailureWritesNothingAndReportsAnError) {
    std::mt19937 generator(20240611);  // fixed seed: the same bytes on every run
    std::string noise(4096, '\0');
    for (char& byte : noise) byte = static_cast<char>(generator() & 0xFF);
    const std::string aiff = makeAiff({}, 0.3);

    struct Case {
        const char* name;
        std::optional<std::string> bytes;  // none: the file is not created
    };
    // Headers that promise more samples than the file holds.
    auto patched = [&aiff](std::size_t at, std::string_view bytes) {
        std::string copy = aiff;
        copy.replace(at, bytes.size(), bytes);
        return copy;
    };
    constexpr std::size_t kChannelsAt = 20;  // FORM, size, AIFF, COMM, size
    constexpr std::size_t kFramesAt = 22;
    std::string eightSvx = std::string(
                               "FORM\0\0\0\x30"
                               "8SVX"
                               "VHDR\0\0\0\x14",
                               20) +
                           std::string(20, '\x01') + std::string("BODY\0\0\x10\0", 8) +
                           std::string(16, '\x02');

    // WAVE chunks that claim more bytes than the file holds: the reader would reserve the
    // claimed size (up to 4 GiB) before finding out.
    const std::string wav = makeWav({8000, 1, 16}, 0.05);
    auto patchedWav = [&wav](std::size_t at, std::string_view bytes) {
        std::string copy = wav;
        copy.replace(at, bytes.size(), bytes);
        return copy;
    };
    constexpr std::size_t kFormatLengthAt = 16;  // RIFF, size, WAVE, "fmt "
    constexpr std::size_t kDataLengthAt = 40;    // the 16-byte format, then "data"

    const std::vector<Case> files = {
        {"data-longer-than-file.wav", patchedWav(kDataLengthAt, "\xff\xff\xff\x7f")},
        {"data-one-byte-short.wav", wav.substr(0, wav.size() - 1)},
        {"format-longer-than-file.wav", patchedWav(kFormatLengthAt, "\xf0\xff\xff\x7f")},
        {"missing.aiff", std::nullopt},
        {"cut-in-samples.aiff", aiff.substr(0, aiff.size() - 100)},
        {"more-frames-than-data.aiff", patched(kFramesAt, std::string("\0\x01\0\0", 4))},
        {"huge-frame-count.aiff", patched(kFramesAt, "\x7f\xff\xff\xff")},
        {"no-channels.aiff", patched(kChannelsAt, std::string("\0\0", 2))},
        {"24-bit.aiff", patched(26, std::string("\0\x18", 2))},
        {"short-body.8svx", eightSvx},
        {"empty.aiff", std::string()},
        {"random.aiff", noise},
        {"text.aiff", std::string("this is not a sound, only words\n")},
        {"header-only.aiff", aiff.substr(0, 12)},
        {"cut-in-comm.aiff", aiff.substr(0, 24)},
        {"bad-wav.wav", std::string("RIFF\x24\0\0\0WAVEfmt \x10\0\0\0", 20)},
        {"no-samples.aiff", makeAiff({}, 0.0)},
    };
    std::vector<URL> urls;
    for (const Case& file : files) {
        const auto path = sbtest::tempDir() / "sounds" / file.name;
        if (file.bytes) writeFixture(file.name, *file.bytes);
        urls.push_back(fileURL(path));
    }
    std::filesystem::create_directories(sbtest::tempDir() / "a-folder.aiff");
    urls.push_back(fileURL(sbtest::tempDir() / "a-folder.aiff"));
    urls.push_back(fileURL("/dev/zero"));
    urls.push_back(*URL::URLWithString("http://example.org/sound.aiff"));
    urls.push_back(*URL::URLWithString("file:///"));
    // A NUL in the decoded path would otherwise name the existing file before it.
    writeFixture("real.aiff", aiff);
    urls.push_back(*URL::URLWithString(
        "file://" + (sbtest::tempDir() / "sounds" / "real.aiff").string() + "%00.txt"));

    for (const URL& url : urls) {
        SCOPED_TRACE(url.absoluteString());
        SystemSoundID soundID = kUntouched;
        EXPECT_NE(AudioServicesCreateSystemSoundID(url, &soundID), kAudioServicesNoError);
        EXPECT_EQ(soundID, kUntouched);
    }
    EXPECT_EQ(playingSoundCount(), 0u);
}

TEST(SystemSoundRegistration, SoundsUpToTenMinutesPlayAndLongerOnesAreRefused) {
    struct Case {
        const char* name;
        PcmFormat format;
        double seconds;
        bool plays;
    };
    // Four minutes of CD stereo is a 42 MB file: more than the 32 MiB the
    // player once stopped at.
    const std::vector<Case> cases{
        {"four-minutes.aiff", {44100, 2, 16}, 240.0, true},
        {"ten-minutes-mono.aiff", {8000, 1, 8}, 600.0, true},
        {"eleven-minutes-mono.aiff", {8000, 1, 8}, 660.0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SystemSoundID soundID = kUntouched;
        const OSStatus status = AudioServicesCreateSystemSoundID(
            fileURL(writeFixture(c.name, makeAiff(c.format, c.seconds, 50.0))), &soundID);
        EXPECT_EQ(status == kAudioServicesNoError, c.plays);
        if (!c.plays) {
            EXPECT_EQ(soundID, kUntouched);
            continue;
        }
        AudioServicesPlaySystemSound(soundID);
        EXPECT_EQ(playingSoundCount(soundID), 1u);
        EXPECT_EQ(AudioServicesDisposeSystemSoundID(soundID), kAudioServicesNoError);
        std::filesystem::remove(sbtest::tempDir() / "sounds" / c.name);
    }
}

TEST(SystemSoundRegistration, NullOutPointerIsRefusedWithoutRegistering) {
    const URL url = fileURL(writeFixture("fine.aiff", makeAiff({}, 0.3)));
    EXPECT_EQ(AudioServicesCreateSystemSoundID(url, nullptr), kAudioServicesBadPropertySizeError);
    SystemSoundID soundID = 0;
    ASSERT_EQ(AudioServicesCreateSystemSoundID(url, &soundID), kAudioServicesNoError);
}

TEST(SystemSoundRegistration, DecodesOnceSoPlayNeedsNoFile) {
    const auto path = writeFixture("gone.aiff", makeAiff({8000, 1, 16}, 10.0));
    SystemSoundID soundID = 0;
    ASSERT_EQ(AudioServicesCreateSystemSoundID(fileURL(path), &soundID), kAudioServicesNoError);
    std::filesystem::remove(path);

    AudioServicesPlaySystemSound(soundID);
    EXPECT_EQ(playingSoundCount(soundID), 1u);
}

TEST(SystemSoundRegistration, OutputOpensOnFirstRegistrationWithAShortPeriod) {
    EXPECT_FALSE(audio_diagnostics::outputFormat().has_value());
    AudioServicesPlaySystemSound(1);  // unknown: nothing to open the output for
    EXPECT_FALSE(audio_diagnostics::outputFormat().has_value());

    SystemSoundID soundID = 0;
    ASSERT_EQ(AudioServicesCreateSystemSoundID(
                  fileURL(writeFixture("first.aiff", makeAiff({}, 0.2))), &soundID),
              kAudioServicesNoError);
    const auto format = audio_diagnostics::outputFormat();
    ASSERT_TRUE(format.has_value());
    EXPECT_GT(format->frequency, 0);
    EXPECT_GT(format->channels, 0);
    EXPECT_GE(format->periodFrames, 64);
    EXPECT_LE(format->periodFrames, 512);
    EXPECT_FALSE(format->silentFallback);  // the dummy driver was asked for, not fallen back to
}

}  // namespace
