#pragma once

#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>

namespace platform {

// What reading a whole file found. Internal to the platform layer.
//
// Only `Read` says anything about the file's contents. `Unreadable` means the
// file may well be fine (no descriptors left, no permission, an I/O error, a
// read that failed half way): a caller must not treat it as damaged, and must
// not replace it with something that lacks what it holds.
struct FileContents {
    enum class Outcome {
        Missing,     // nothing at the path (or a path component is not a folder)
        Read,        // `bytes` holds the whole file
        Unreadable,  // something is there but could not be read whole; see `error`
        TooLarge,    // a regular file larger than the reader's limit; nothing was kept
    };
    Outcome outcome = Outcome::Missing;
    std::optional<std::string> bytes;  // set exactly when outcome is Read
    int error = 0;                     // the errno of the failure when Unreadable
    std::uintmax_t size = 0;           // the file's size when TooLarge (at least the limit + 1)

    bool missing() const { return outcome == Outcome::Missing; }
    bool unreadable() const { return outcome == Outcome::Unreadable; }
    bool tooLarge() const { return outcome == Outcome::TooLarge; }
};

inline constexpr std::uintmax_t kNoFileSizeLimit = std::numeric_limits<std::uintmax_t>::max();

// Reads the whole file with plain open()/read() calls: no exceptions, calls
// interrupted by a signal are retried, and a folder, a FIFO, a device or a
// read error is told apart from a missing file. Never blocks on a FIFO at the
// path. A file whose size is above `maximumBytes` is not read (one that grows
// past it while being read is given up at that point), so memory stays
// bounded whatever the file claims or holds.
FileContents readFileContents(const std::filesystem::path& path,
                              std::uintmax_t maximumBytes = kNoFileSizeLimit);

// "3.5 MiB", "120 KiB", "87 bytes": a size as log lines and reports give it,
// rounded up to a tenth of its unit.
std::string sizeText(std::uintmax_t bytes);

}  // namespace platform
