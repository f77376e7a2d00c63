#pragma once

#include <filesystem>
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
    };
    Outcome outcome = Outcome::Missing;
    std::optional<std::string> bytes;  // set exactly when outcome is Read
    int error = 0;                     // the errno of the failure when Unreadable

    bool missing() const { return outcome == Outcome::Missing; }
    bool unreadable() const { return outcome == Outcome::Unreadable; }
};

// Reads the whole file with plain open()/read() calls: no exceptions, calls
// interrupted by a signal are retried, and a folder, a FIFO or a read error is
// told apart from a missing file. Never blocks on a FIFO at the path.
FileContents readFileContents(const std::filesystem::path& path);

}  // namespace platform
