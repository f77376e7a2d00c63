#pragma once

#include <filesystem>
#include <string_view>

namespace platform {

// Replaces `target` with `contents` so that a crash at any instant leaves either
// the old file or the new one, whole: write a temporary file in the same folder,
// fsync it, rename it over the target, fsync the folder. The folder must exist.
// Returns false (and leaves the old file untouched) when any step fails. The
// one exception is the final folder fsync: if that fails the new file is
// already in place, and false only says its durability is not assured.
// A target that is a symbolic link is written through: the file the link
// leads to is replaced, in its own folder, and the link stays.
// The replacement keeps the old file's permissions; a new file gets 0666 less
// the umask. A crash before the rename may leave a hidden ".<name>.<random>";
// a failure never does.
bool writeFileDurably(const std::filesystem::path& target, std::string_view contents);
// As above, but the file gets exactly `permissions`, whatever the umask and the
// old file's mode: for a file that holds a secret (0600), which is never
// readable by others, not even for the moment between the write and a chmod.
bool writeFileDurably(const std::filesystem::path& target, std::string_view contents,
                      std::filesystem::perms permissions);

}  // namespace platform
