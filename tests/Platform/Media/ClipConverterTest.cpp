// One clip at a time: every format libsndfile reads becomes a levelled 16-bit
// AIFF at its own rate; files that are not audio fail with a reason and leave
// nothing behind.

#include "Platform/Media/ClipConverter.h"

#include "TestAudio.h"
#include "tests/support/TestEnvironment.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <cmath>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBuffer = std::size_t{1} << 22;

media::ClipConversion convert(const fs::path& source, const fs::path& destination,
                              std::size_t bufferSamples = kBuffer) {
    media::CancellationFlag notCancelled;
    return media::ClipConverter(media::LoudnessTarget{}, bufferSamples)
        .convert(source, destination, notCancelled);
}

struct LevelCase {
    const char* name;
    int (*format)();
    const char* extension;
    int rate;
    int channels;
    double amplitude;
};

void PrintTo(const LevelCase& row, std::ostream* out) {
    *out << row.name;
}

class ClipLevels : public testing::TestWithParam<LevelCase> {};

TEST_P(ClipLevels, EndsAtTheTargetAsSixteenBitAiffAtItsOwnRate) {
    const LevelCase& row = GetParam();
    if (!testaudio::canWrite(row.format(), row.rate, row.channels)) {
        GTEST_SKIP() << "libsndfile here cannot write " << row.name;
    }
    const fs::path source = sbtest::tempDir() / (std::string("in.") + row.extension);
    const fs::path destination = sbtest::tempDir() / "out.aiff";
    testaudio::writeTone(source, {row.format(), row.rate, row.channels, 3.0, row.amplitude, 440.0});

    const auto outcome = convert(source, destination);
    ASSERT_TRUE(outcome.converted) << outcome.failure;
    EXPECT_NEAR(outcome.seconds, 3.0, 0.1);

    const auto result = testaudio::readAll(destination);
    EXPECT_EQ(result.format, SF_FORMAT_AIFF | SF_FORMAT_PCM_16);
    EXPECT_EQ(result.rate, row.rate);
    EXPECT_EQ(result.channels, row.channels);
    EXPECT_NEAR(static_cast<double>(result.frames()) / row.rate, 3.0, 0.1);
    EXPECT_NEAR(testaudio::integratedLoudness(result), -16.0, 1.0);
    EXPECT_LE(testaudio::truePeakDbtp(result), -0.9);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ClipLevels,
    testing::Values(LevelCase{"quiet_wav", testaudio::wavFormat, "wav", 44100, 2, 0.005},
                    LevelCase{"loud_wav", testaudio::wavFormat, "wav", 22050, 1, 0.9},
                    LevelCase{"aiff", testaudio::aiffFormat, "aiff", 48000, 2, 0.3},
                    LevelCase{"flac", testaudio::flacFormat, "flac", 44100, 2, 0.05},
                    LevelCase{"vorbis", testaudio::vorbisFormat, "ogg", 44100, 2, 0.5},
                    LevelCase{"opus", testaudio::opusFormat, "opus", 48000, 2, 0.02},
                    LevelCase{"mp3", testaudio::mp3Format, "mp3", 44100, 2, 0.7}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClipConverter, TwoClipsOfVeryDifferentLoudnessEndWithinOneLuOfEachOther) {
    const fs::path quiet = sbtest::tempDir() / "quiet.flac";
    const fs::path loud = sbtest::tempDir() / "loud.wav";
    testaudio::writeTone(quiet, {testaudio::flacFormat(), 44100, 2, 2.0, 0.003, 300.0});
    testaudio::writeTone(loud, {testaudio::wavFormat(), 44100, 2, 2.0, 0.95, 1000.0});
    ASSERT_GT(testaudio::integratedLoudness(testaudio::readAll(loud)) -
                  testaudio::integratedLoudness(testaudio::readAll(quiet)),
              40.0);

    ASSERT_TRUE(convert(quiet, sbtest::tempDir() / "quiet.aiff").converted);
    ASSERT_TRUE(convert(loud, sbtest::tempDir() / "loud.aiff").converted);
    const double quietAfter =
        testaudio::integratedLoudness(testaudio::readAll(sbtest::tempDir() / "quiet.aiff"));
    const double loudAfter =
        testaudio::integratedLoudness(testaudio::readAll(sbtest::tempDir() / "loud.aiff"));
    EXPECT_NEAR(quietAfter, -16.0, 1.0);
    EXPECT_NEAR(loudAfter, -16.0, 1.0);
}

TEST(ClipConverter, ALongClipStreamedTwiceMatchesTheSameClipHeldInMemory) {
    const fs::path source = sbtest::tempDir() / "long.flac";
    testaudio::writeTone(source, {testaudio::flacFormat(), 44100, 2, 4.0, 0.1, 500.0});
    const auto held = convert(source, sbtest::tempDir() / "held.aiff");
    const auto streamed = convert(source, sbtest::tempDir() / "streamed.aiff", 4096);
    ASSERT_TRUE(held.converted && streamed.converted);
    EXPECT_DOUBLE_EQ(held.gainDb, streamed.gainDb);
    EXPECT_EQ(testaudio::readAll(sbtest::tempDir() / "held.aiff").samples,
              testaudio::readAll(sbtest::tempDir() / "streamed.aiff").samples);
}

TEST(ClipConverter, APeakyClipIsHeldBelowTheCeilingRatherThanBroughtToTheTarget) {
    // Mostly quiet, with a loud burst: the loudness target would push the burst
    // far past full scale, so the ceiling decides the gain.
    const fs::path source = sbtest::tempDir() / "peaky.wav";
    {
        testaudio::writeTone(source, {testaudio::wavFormat(), 44100, 1, 3.0, 0.001, 440.0});
        auto sound = testaudio::readAll(source);
        for (std::size_t i = 1000; i < 1100; ++i) sound.samples[i] = (i % 2 == 0) ? 0.9f : -0.9f;
        SF_INFO info{};
        info.format = testaudio::wavFormat();
        info.samplerate = 44100;
        info.channels = 1;
        SNDFILE* file = sf_open(source.c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr);
        sf_writef_float(file, sound.samples.data(), static_cast<sf_count_t>(sound.frames()));
        sf_close(file);
    }
    const auto outcome = convert(source, sbtest::tempDir() / "peaky.aiff");
    ASSERT_TRUE(outcome.converted) << outcome.failure;
    const auto result = testaudio::readAll(sbtest::tempDir() / "peaky.aiff");
    EXPECT_LT(testaudio::integratedLoudness(result), -20.0);
    EXPECT_NEAR(testaudio::truePeakDbtp(result), -1.0, 0.5);
}

TEST(ClipConverter, AClipShorterThanAGatingBlockIsStillLevelled) {
    const fs::path source = sbtest::tempDir() / "click.wav";
    testaudio::writeTone(source, {testaudio::wavFormat(), 48000, 1, 0.2, 0.01, 1000.0});
    const auto outcome = convert(source, sbtest::tempDir() / "click.aiff");
    ASSERT_TRUE(outcome.converted) << outcome.failure;
    ASSERT_TRUE(outcome.measured.loudnessLufs.has_value());
    // A 1 kHz sine at 0.01 peak is about -43 LUFS: some 27 dB up to the target.
    EXPECT_NEAR(outcome.gainDb, 27.0, 2.0);
}

TEST(ClipConverter, SilenceIsKeptAsIs) {
    const fs::path source = sbtest::tempDir() / "silence.wav";
    testaudio::writeTone(source, {testaudio::wavFormat(), 44100, 2, 1.0, 0.0, 440.0});
    const auto outcome = convert(source, sbtest::tempDir() / "silence.aiff");
    ASSERT_TRUE(outcome.converted) << outcome.failure;
    EXPECT_FALSE(outcome.measured.loudnessLufs.has_value());
    EXPECT_EQ(outcome.gainDb, 0.0);
    const auto result = testaudio::readAll(sbtest::tempDir() / "silence.aiff");
    EXPECT_EQ(result.frames(), 44100u);
    for (float sample : result.samples) ASSERT_EQ(sample, 0.0f);
}

struct FailureCase {
    const char* name;
    std::string contents;  // written as the source; "-" for no file at all
    const char* reason;
};

void PrintTo(const FailureCase& row, std::ostream* out) {
    *out << row.name;
}

class ClipFailures : public testing::TestWithParam<FailureCase> {};

TEST_P(ClipFailures, SayWhyAndLeaveNothingBehind) {
    const FailureCase& row = GetParam();
    const fs::path source = sbtest::tempDir() / "source.wav";
    if (row.contents != "-") sbtest::writeFile(source, row.contents);
    const fs::path destination = sbtest::tempDir() / "out.aiff";
    const auto outcome = convert(source, destination);
    EXPECT_FALSE(outcome.converted);
    EXPECT_NE(outcome.failure.find(row.reason), std::string::npos) << outcome.failure;
    EXPECT_FALSE(fs::exists(destination));
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ClipFailures,
    testing::Values(FailureCase{"missing", "-", "file not found"},
                    FailureCase{"empty", "", "empty file"},
                    FailureCase{"text", "just some words, not a sound\n",
                                "not a readable audio file"},
                    FailureCase{"header_only", std::string("RIFF\x24\x00\x00\x00WAVEfmt ", 16),
                                "not a readable audio file"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClipConverter, AnExistingDestinationIsNeitherOverwrittenNorRemoved) {
    const fs::path source = sbtest::tempDir() / "tone.wav";
    testaudio::writeTone(source, {});
    const fs::path destination = sbtest::tempDir() / "taken.aiff";
    sbtest::writeFile(destination, "keep me");
    EXPECT_FALSE(convert(source, destination).converted);
    EXPECT_EQ(sbtest::readFile(destination), "keep me");
}

TEST(ClipConverter, ACancelledConversionLeavesNoFile) {
    const fs::path source = sbtest::tempDir() / "tone.wav";
    testaudio::writeTone(source, {});
    media::CancellationFlag cancelled;
    cancelled.requestCancel();
    const auto outcome = media::ClipConverter(media::LoudnessTarget{}, kBuffer)
                             .convert(source, sbtest::tempDir() / "out.aiff", cancelled);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_FALSE(fs::exists(sbtest::tempDir() / "out.aiff"));
}

}  // namespace
