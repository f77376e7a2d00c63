#pragma once

#include "CancellationFlag.h"
#include "LoudnessGain.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace media {

// The outcome of one clip: converted, or why not.
struct ClipConversion {
    bool converted = false;
    bool cancelled = false;
    std::string failure;  // one short reason when not converted
    // The destination could not be written (the source may be fine): a fault of
    // where the sound goes, not of the clip, so no reason to leave the clip out.
    bool writeFailed = false;
    double seconds = 0.0;
    LoudnessMeasurement measured;  // before the gain
    double gainDb = 0.0;
};

// Turns one audio file that libsndfile reads (WAV, AIFF, FLAC, Ogg Vorbis, Opus,
// MP3, ...) into a 16-bit AIFF at the clip's own sample rate and channel count,
// scaled to the loudness target.
//
// Memory stays bounded: a clip whose samples fit `bufferSamples` is decoded
// once and kept while it is measured; a longer one is streamed twice, once to
// measure and once to write, in blocks. The destination is created new (an
// existing file is an error) and flushed to disk; on any failure or
// cancellation it is removed again, so it exists only when whole.
class ClipConverter {
  public:
    ClipConverter(LoudnessTarget target, std::size_t bufferSamples);

    ClipConversion convert(const std::filesystem::path& source,
                           const std::filesystem::path& destination,
                           const CancellationFlag& cancellation) const;

    static constexpr int kMaxChannels = 8;

  private:
    LoudnessTarget m_target;
    std::size_t m_bufferSamples;
};

}  // namespace media
