#pragma once

#include "MixChunk.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct Mix_Chunk;

namespace platform {

// A long sound held as the 16-bit samples its file had, at a quarter (mono)
// or half (stereo) of the 32-bit float stereo the mixer runs at; a 10-minute
// sound then takes 53 or 106 MB instead of 212.
//
// The mixer still sees a chunk of the float length, so lengths, loops and
// channel choice work as for any sound; its samples are a read-only mapping
// of nothing (untouched anonymous pages, which cost no memory), and an effect
// registered first on the channel writes the real samples in their place as
// each period is mixed. The trim, the fade, the volume and the master bus then
// act on exactly the floats a float chunk would have held: a sound is only
// held this way when every one of its samples survives the round trip (a
// 16-bit file at the output's rate), and stays in float otherwise.
class CompactSound {
  public:
    // Sounds shorter than this stay float: they cost little, and mix with no
    // conversion at all.
    static constexpr double kMinimumSeconds = 10.0;

    // `chunk` as a compact sound when it is long enough and exactly 16-bit,
    // else `chunk` itself. The output must be open (float, `channels` wide).
    static MixChunkPtr compact(MixChunkPtr chunk, int frequency, int channels);
    // The compact samples behind a chunk made by compact(); null for any other.
    static std::shared_ptr<const CompactSound> find(const Mix_Chunk* chunk);
    // Takes the chunk's samples off the list, so no new play finds them, and
    // hands them over to be kept until the chunk itself is freed.
    static std::shared_ptr<const void> forget(const Mix_Chunk* chunk);
    // How many compact sounds are held now.
    static std::size_t compactCount();

    // Writes `frames` output frames from frame `from` on (wrapping at the
    // end, as a loop does) as interleaved floats over the output's channels.
    void render(std::size_t from, float* out, std::size_t frames) const;
    std::size_t frames() const { return m_frames; }
    // What the samples take in memory.
    std::size_t bytes() const { return m_samples.size() * sizeof(std::int16_t); }

    CompactSound(std::vector<std::int16_t> samples, int storedChannels, int outputChannels);

  private:
    std::vector<std::int16_t> m_samples;
    int m_storedChannels;
    int m_outputChannels;
    std::size_t m_frames;
};

}  // namespace platform
