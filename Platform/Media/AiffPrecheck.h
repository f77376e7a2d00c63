#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace media {

// Why the player would not play these sound file bytes; none when it would.
// The board checker asks the same question, so what it reports is exactly
// what will not play.
//
// Length: up to kMaxSoundSeconds, read from the header (AIFF's frame count and
// rate, WAVE's data length and byte rate) before anything is decoded; a rate
// of 0 is refused.
//
// SDL_mixer 2.6's reader of IFF "FORM" files (AIFF, 8SVX) allocates the whole
// sample buffer from the frame count in the header and then, when the file
// holds fewer bytes than that, fails without freeing the buffer or closing its
// input: a truncated or lying header costs up to 4 GiB that is never returned.
// This check walks the chunks the way that reader does and refuses such files
// before it sees them. That reader knows only 8- and 16-bit samples.
//
// SDL's WAVE reader allocates every chunk it reads ("fmt ", "fact", "data") at
// the length its header claims, up to 4 GiB, before it finds out how many bytes
// are there: a few hundred bytes could make it reserve gigabytes. A RIFF WAVE
// file whose chunks up to "data" claim more than the file holds is refused.
//
// SDL_mixer 2.6's VOC reader loses its sample buffer when a block after the
// first is malformed. A board has no need of that old format: VOC files are
// refused.
//
// Files of any other kind pass here: their readers free what they take, and
// their length is checked once decoded.
std::optional<std::string> soundBytesProblem(std::string_view file);

inline bool formAudioIsSafeToDecode(std::string_view file) {
    return !soundBytesProblem(file).has_value();
}

// Ten minutes: the longest sound a board may hold. Decoded for the output
// (stereo 32-bit float at 44.1 kHz) that is 212 MB.
inline constexpr double kMaxSoundSeconds = 600.0;

}  // namespace media
