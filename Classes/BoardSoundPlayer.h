#pragma once

#include "Platform/Audio/SystemSounds.h"

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

// Plays a sound of the open board by its audio number, as the sound's play
// page does (registered from the bundle's "<audio number>.aiff", and the
// vibration when the flag is set), for triggers that have no page: a hotkey,
// another program, the remote. Only numbers the board's catalogue lists are
// played, so a caller cannot reach a file the board does not offer.
//
// Registrations are made at the first play of each sound and kept until the
// player goes or forget() is called (the board changed).
class BoardSoundPlayer {
  public:
    BoardSoundPlayer() = default;
    ~BoardSoundPlayer();
    BoardSoundPlayer(const BoardSoundPlayer&) = delete;
    BoardSoundPlayer& operator=(const BoardSoundPlayer&) = delete;

    // Whether the open board lists `audioNumber`.
    bool offers(std::string_view audioNumber);
    // Plays it; false when the board does not list it or its file cannot be played.
    bool play(std::string_view audioNumber);
    // Whether a play of `audioNumber` started here sounds now.
    bool isPlaying(std::string_view audioNumber) const;
    // Drops the registrations and the catalogue read, to be read again at the next play.
    void forget();

    // The file a sound of the main bundle is played from; none when the bundle
    // has none under that number (or refuses the name).
    static std::optional<std::string> soundPath(std::string_view audioNumber);

  private:
    void readCatalogueIfNeeded();

    std::optional<std::filesystem::path> m_board;
    std::set<std::string, std::less<>> m_numbers;
    std::map<std::string, platform::SystemSoundID, std::less<>> m_sounds;
};
