#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace platform {

// What reading a whole file found. Internal to the platform layer.
struct FileContents {
    bool exists = false;               // something is at the path
    std::optional<std::string> bytes;  // none when missing, not a regular file, or unreadable
};

// Reads the whole file with plain read() calls: no exceptions, and a folder or
// a read error is told apart from a missing file.
FileContents readFileContents(const std::filesystem::path& path);

}  // namespace platform
