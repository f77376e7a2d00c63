#pragma once

#include "AiffPrecheck.h"
#include "MappedFile.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace media {

// The largest sound file the player maps: ten minutes of 16-bit stereo at
// 96 kHz fit with room to spare, and whatever a header claims, no more is read.
inline constexpr std::uintmax_t kMaxSoundFileBytes = std::uintmax_t{512} << 20;

// The sound file at `path` mapped for its decoder, or why the player will not
// play it: the file's own checks (regular, not empty, within the size limit)
// and what its header says (see soundBytesProblem).
std::optional<MappedFile> mapPlayableSound(const std::filesystem::path& path, std::string& problem);

}  // namespace media
