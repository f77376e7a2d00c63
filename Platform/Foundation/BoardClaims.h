#pragma once

#include <filesystem>
#include <string>

namespace platform {

// Which folder each board identifier belongs to, so that a board cannot take
// another board's settings store (its favourite marks) by writing that
// board's identifier into its own Info.plist. Kept in
// "<config>/<application identifier>/<application identifier>.boards.plist".
//
// A claim is recorded the first time a board's settings are written, not when
// it is only looked at: a walk through the application that writes nothing
// leaves no trace. An identifier whose recorded folder no longer holds a
// board with that identifier (it was moved or deleted) goes to whoever asks next.
namespace BoardClaims {
std::filesystem::path file(const std::string& applicationIdentifier);
// Whether `identifier` is recorded for a board other than `board` that
// still names it. `board` is a real path (links resolved).
bool belongsElsewhere(const std::string& applicationIdentifier, const std::string& identifier,
                      const std::filesystem::path& board);
// Records `board` as the folder of `identifier` unless another board holds it.
void record(const std::string& applicationIdentifier, const std::string& identifier,
            const std::filesystem::path& board);
}  // namespace BoardClaims

}  // namespace platform
