#pragma once

#include <filesystem>
#include <optional>

// The board opened last, kept in the desktop preferences (see
// DesktopPreferences; remembering a board also makes it the first recent one): a small property
// list of the application's own (beside its settings, never among the
// favourite marks of any board), written durably.
class LastOpenedBoard {
  public:
    static std::filesystem::path preferencesFile();
    static void remember(const std::filesystem::path& board);
    static void forget();
    // The remembered board while it is still a board folder; none otherwise.
    static std::optional<std::filesystem::path> recall();
};
