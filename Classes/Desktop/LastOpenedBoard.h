#pragma once

#include <filesystem>
#include <optional>

// The board opened last, kept in the desktop preferences (see
// DesktopPreferences; remembering a board also makes it the first recent one): a small property
// list of the application's own (beside its settings, never among the
// favourite marks of any board), written durably.
//
// A board is also noted as being opened until the pages show (see
// confirmOpened): a board that hung or crashed the program before that is
// not opened again by itself at the next start.
namespace LastOpenedBoard {
std::filesystem::path preferencesFile();
// Remembers `board` as opened last, and as being opened.
void remember(const std::filesystem::path& board);
void forget();
// The remembered board while it is still a board folder and did not fail
// to open the last time (that is logged, and the board forgotten); none
// otherwise. A board handed out is noted as being opened unless
// `noteOpening` is false (nothing at all is then written).
std::optional<std::filesystem::path> recall(bool noteOpening = true);
// The pages are on show: the board being opened, if any, has opened.
// Cheap when there is none, so it may be called at every frame.
void confirmOpened();
}  // namespace LastOpenedBoard
