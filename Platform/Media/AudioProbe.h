#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace media {

// Decodes a sound file from start to end without keeping it. None when the
// whole file decodes and holds sound; otherwise why it does not.
std::optional<std::string> audioFileProblem(const std::filesystem::path& path);

}  // namespace media
