#pragma once

#include "MixChunk.h"

#include <filesystem>

namespace platform {

// Decodes the sound file at `path` completely, converting it to the open
// output's sample format. SDL_mixer recognises AIFF, WAV and VOC itself and
// hands other formats (Ogg, FLAC, MP3, ...) to the decoders it was built with.
// Empty when the player will not play the file (see media::mapPlayableSound:
// the board checker refuses exactly the same files), when SDL_mixer cannot
// decode it, or when it decodes to no samples or to more than ten minutes. The
// file is mapped, not read into memory first. The output must be open:
// decoding converts to its format. A long sound whose samples are exactly
// 16-bit is then held as such (see CompactSound).
MixChunkPtr decodeSoundFile(const std::filesystem::path& path);

}  // namespace platform
