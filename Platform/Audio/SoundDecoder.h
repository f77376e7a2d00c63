#pragma once

#include "MixChunk.h"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace platform {

// System sounds are short clips; anything larger is refused before it is read,
// so that a wrong path (a disk image, a device file) cannot exhaust memory.
inline constexpr std::uintmax_t kMaxSoundFileBytes = 32u * 1024u * 1024u;

// Reads and decodes the sound file at `path` completely, converting it to the
// open output's sample format. SDL_mixer recognises AIFF, WAV and VOC itself
// and hands other formats (Ogg, FLAC, MP3, ...) to the decoders it was built
// with. Empty when the file is not a regular file, is empty or too large, is
// not a sound SDL_mixer can decode, or decodes to no samples. The output must
// be open: decoding converts to its format.
MixChunkPtr decodeSoundFile(const std::filesystem::path& path);

}  // namespace platform
