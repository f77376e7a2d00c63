#include "ClipConverter.h"

#include "SoundFileHandle.h"

#include "Platform/Foundation/FileDescriptor.h"

#include <sndfile.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace media {
namespace {

constexpr sf_count_t kBlockFrames = 4096;
constexpr int kLowestRate = 1000;
constexpr int kHighestRate = 384000;
// EBU R128 gates in blocks of 400 ms; a shorter clip is measured as one window.
constexpr double kGatingBlockSeconds = 0.4;
// How far a true peak may lie above the sample peak in real recordings. While
// the sample peak after the gain stays this far below the ceiling, the costly
// true-peak measurement cannot change the gain and is skipped.
constexpr double kIntersamplePeakMarginDb = 3.0;

// Removes the destination unless the conversion got through to the end.
class PartialOutput {
  public:
    explicit PartialOutput(std::filesystem::path path) : m_path(std::move(path)) {}
    ~PartialOutput() {
        if (!m_kept) ::unlink(m_path.c_str());
    }
    PartialOutput(const PartialOutput&) = delete;
    PartialOutput& operator=(const PartialOutput&) = delete;
    void keep() { m_kept = true; }

  private:
    std::filesystem::path m_path;
    bool m_kept = false;
};

ClipConversion failed(std::string reason) {
    ClipConversion outcome;
    outcome.failure = std::move(reason);
    return outcome;
}

ClipConversion writeFailure(std::string reason) {
    ClipConversion outcome = failed(std::move(reason));
    outcome.writeFailed = true;
    return outcome;
}

ClipConversion cancelledConversion() {
    ClipConversion outcome = failed("cancelled");
    outcome.cancelled = true;
    return outcome;
}

std::string openFailure(const std::filesystem::path& source, const std::string& libraryMessage) {
    std::error_code ignored;
    if (!std::filesystem::exists(source, ignored)) return "file not found";
    if (::access(source.c_str(), R_OK) != 0)
        return std::string("cannot be opened: ") + std::strerror(errno);
    if (std::filesystem::file_size(source, ignored) == 0) return "empty file";
    return "not a readable audio file (" + libraryMessage + ")";
}

// Hostile float files may hold NaN or infinities; they would poison the meter
// and the integer conversion, so they are read as silence.
void replaceNonFinite(float* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (!std::isfinite(samples[i])) samples[i] = 0.0f;
    }
}

void applyGain(float* samples, std::size_t count, float factor) {
    for (std::size_t i = 0; i < count; ++i) samples[i] *= factor;
}

}  // namespace

ClipConverter::ClipConverter(LoudnessTarget target, std::size_t bufferSamples)
    : m_target(target), m_bufferSamples(bufferSamples) {}

ClipConversion ClipConverter::convert(const std::filesystem::path& source,
                                      const std::filesystem::path& destination,
                                      const CancellationFlag& cancellation) const {
    if (cancellation.isCancelled()) return cancelledConversion();
    SF_INFO info{};
    std::string error;
    SoundFileHandle input = SoundFileHandle::openForReading(source, info, error);
    if (!input) return failed(openFailure(source, error));
    if (info.channels < 1 || info.channels > kMaxChannels) {
        return failed("has " + std::to_string(info.channels) + " channels; at most " +
                      std::to_string(kMaxChannels) + " are read");
    }
    if (info.samplerate < kLowestRate || info.samplerate > kHighestRate) {
        return failed("unusable sample rate " + std::to_string(info.samplerate));
    }
    const auto channels = static_cast<std::size_t>(info.channels);
    // A clip expected to fit the buffer can have its true peak measured later,
    // from memory, and only when it matters; a longer one is measured in full now.
    const bool expectFits =
        info.frames > 0 && static_cast<std::size_t>(info.frames) <= m_bufferSamples / channels;
    auto meter = LoudnessMeter::create(static_cast<unsigned>(channels),
                                       static_cast<unsigned long>(info.samplerate), 0, !expectFits);
    if (!meter) return failed("cannot be measured");

    // First pass: measure, and keep the samples while they fit the budget.
    std::vector<float> block(static_cast<std::size_t>(kBlockFrames) * channels);
    std::vector<float> whole;
    bool wholeFits = true;
    if (expectFits) {
        whole.reserve(static_cast<std::size_t>(info.frames) * channels);
    }
    std::size_t totalFrames = 0;
    for (;;) {
        if (cancellation.isCancelled()) return cancelledConversion();
        const sf_count_t read = sf_readf_float(input.get(), block.data(), kBlockFrames);
        if (read <= 0) break;
        const auto frames = static_cast<std::size_t>(read);
        replaceNonFinite(block.data(), frames * channels);
        if (!meter->add(block.data(), frames)) return failed("cannot be measured");
        if (wholeFits) {
            if (whole.size() + frames * channels <= m_bufferSamples) {
                whole.insert(whole.end(), block.begin(),
                             block.begin() + static_cast<std::ptrdiff_t>(frames * channels));
            } else {
                wholeFits = false;
                std::vector<float>().swap(whole);
            }
        }
        totalFrames += frames;
    }
    if (sf_error(input.get()) != SF_ERR_NO_ERROR) {
        return failed(std::string("broken audio data (") + sf_strerror(input.get()) + ")");
    }
    if (totalFrames == 0) return failed("holds no sound");

    ClipConversion outcome;
    outcome.seconds = static_cast<double>(totalFrames) / info.samplerate;
    outcome.measured = meter->measurement();
    if (!outcome.measured.loudnessLufs && wholeFits && outcome.seconds < kGatingBlockSeconds) {
        const auto window =
            std::max<unsigned long>(1, static_cast<unsigned long>(outcome.seconds * 1000.0));
        if (auto shortMeter =
                LoudnessMeter::create(static_cast<unsigned>(channels),
                                      static_cast<unsigned long>(info.samplerate), window)) {
            if (shortMeter->add(whole.data(), totalFrames)) {
                outcome.measured.loudnessLufs = shortMeter->measurement().loudnessLufs;
            }
        }
    }
    if (!outcome.measured.peakIsTrue) {
        const double samplePeak = outcome.measured.truePeakDbtp;
        outcome.measured.truePeakDbtp = samplePeak + kIntersamplePeakMarginDb;
        const double loudnessGain = outcome.measured.loudnessLufs
                                        ? m_target.loudnessLufs - *outcome.measured.loudnessLufs
                                        : 0.0;
        const bool peakMatters =
            outcome.measured.truePeakDbtp + loudnessGain > m_target.truePeakCeilingDbtp;
        if (peakMatters && wholeFits) {
            auto peakMeter = LoudnessMeter::create(static_cast<unsigned>(channels),
                                                   static_cast<unsigned long>(info.samplerate));
            if (!peakMeter || !peakMeter->add(whole.data(), totalFrames)) {
                return failed("cannot be measured");
            }
            outcome.measured.truePeakDbtp = peakMeter->measurement().truePeakDbtp;
        }
        // A clip that outgrew the buffer keeps the margin: a little quieter, never over.
        outcome.measured.peakIsTrue = peakMatters && wholeFits;
    }
    outcome.gainDb = levellingGainDb(outcome.measured, m_target);
    const auto factor = static_cast<float>(std::pow(10.0, outcome.gainDb / 20.0));

    platform::FileDescriptor fd(
        ::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (!fd.valid()) {
        return writeFailure(std::string("cannot write the sound: ") + std::strerror(errno));
    }
    PartialOutput partial(destination);
    SF_INFO outputInfo{};
    outputInfo.samplerate = info.samplerate;
    outputInfo.channels = info.channels;
    outputInfo.format = SF_FORMAT_AIFF | SF_FORMAT_PCM_16;
    SoundFileHandle output = SoundFileHandle::openForWriting(fd.get(), outputInfo, error);
    if (!output) return writeFailure("cannot write the sound (" + error + ")");
    sf_command(output.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);

    std::size_t written = 0;
    if (wholeFits) {
        applyGain(whole.data(), whole.size(), factor);
        while (written < totalFrames) {
            if (cancellation.isCancelled()) return cancelledConversion();
            const auto frames = std::min<std::size_t>(kBlockFrames, totalFrames - written);
            if (sf_writef_float(output.get(), whole.data() + written * channels,
                                static_cast<sf_count_t>(frames)) !=
                static_cast<sf_count_t>(frames)) {
                return writeFailure("cannot write the sound");
            }
            written += frames;
        }
    } else {
        // Second pass for a long clip: decode again from the start, block by block.
        if (sf_seek(input.get(), 0, SEEK_SET) != 0) return failed("cannot be read a second time");
        for (;;) {
            if (cancellation.isCancelled()) return cancelledConversion();
            const sf_count_t read = sf_readf_float(input.get(), block.data(), kBlockFrames);
            if (read <= 0) break;
            const auto frames = static_cast<std::size_t>(read);
            replaceNonFinite(block.data(), frames * channels);
            applyGain(block.data(), frames * channels, factor);
            if (sf_writef_float(output.get(), block.data(), read) != read) {
                return writeFailure("cannot write the sound");
            }
            written += frames;
        }
        if (written != totalFrames) return failed("changed while it was read");
    }
    // The header with the final length is written when the handle closes, and
    // libsndfile does not report a failure there; written now, it is checked, and
    // the rewrite at the close puts the same bytes in the same place.
    sf_command(output.get(), SFC_UPDATE_HEADER_NOW, nullptr, 0);
    if (sf_error(output.get()) != SF_ERR_NO_ERROR) return writeFailure("cannot write the sound");
    if (!output.close() || ::fsync(fd.get()) != 0 || !fd.close()) {
        return writeFailure("cannot write the sound");
    }
    partial.keep();
    outcome.converted = true;
    return outcome;
}

}  // namespace media
