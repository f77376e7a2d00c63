#pragma once

#include "Classes/Desktop/SoundPlayMode.h"
#include "Platform/Audio/SystemSounds.h"

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// Plays a sound of the open board by its audio number, as the sound's play
// page does (registered from the bundle's "<audio number>.aiff", and the
// vibration when the flag is set), for triggers that have no page: a hotkey,
// another program, the remote. Only numbers the board's catalogue lists are
// played, so a caller cannot reach a file the board does not offer.
//
// Every play obeys the sound's play mode (SoundPlayMode), kept per board with
// the desktop preferences: played again while it sounds it overlaps, restarts
// or stops; it may loop; its trim sets the play's gain. The play page plays
// its own registration through the same rules (playRegistered).
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
    // Plays it in its mode; false when the board does not list it or its file
    // cannot be played.
    bool play(std::string_view audioNumber);
    // Plays `sound`, a registration of sound `audioNumber` made elsewhere (the
    // play page's), in that sound's mode.
    void playRegistered(platform::SystemSoundID sound, std::string_view audioNumber);

    // The mode of a sound of the open board; the default for one without.
    SoundPlayMode modeOf(std::string_view audioNumber);
    // Keeps `mode` for the sound; it holds from its next play.
    void setModeOf(std::string_view audioNumber, const SoundPlayMode& mode);

    // A sound sounding now, with its label and the time left of its newest
    // play (none while it loops).
    struct Playing {
        std::string audioNumber;
        std::string label;
        platform::SystemSoundID sound = 0;
        std::optional<double> secondsLeft;
    };
    // What sounds now of the sounds played through this player, in catalogue order.
    std::vector<Playing> nowPlaying();
    // The registration of a sound played before (what shows its progress);
    // 0 when it has not been played or could not be.
    platform::SystemSoundID soundID(std::string_view audioNumber) const;
    // Whether a play of `audioNumber` started here sounds now.
    bool isPlaying(std::string_view audioNumber) const;
    // The audio numbers sounding now, whoever started them: a play through
    // this player (a pad, a hotkey, another program, the remote) or a play
    // page's own registration played here.
    std::set<std::string> playingNumbers() const;
    // Drops the registrations and the catalogue read, to be read again at the next play.
    void forget();

    // The file a sound of the main bundle is played from; none when the bundle
    // has none under that number (or refuses the name).
    static std::optional<std::string> soundPath(std::string_view audioNumber);

  private:
    void readCatalogueIfNeeded();
    // The one way a play starts: the mode's rules, then the play with its options.
    static void playInMode(platform::SystemSoundID sound, const SoundPlayMode& mode);

    std::optional<std::filesystem::path> m_board;
    // The sounds the board lists: audio number to label, and the catalogue order.
    std::map<std::string, std::string, std::less<>> m_labels;
    std::vector<std::string> m_order;
    std::map<std::string, SoundPlayMode, std::less<>> m_modes;
    std::map<std::string, platform::SystemSoundID, std::less<>> m_sounds;
    // Registrations made elsewhere that were played here, by sound.
    std::map<platform::SystemSoundID, std::string> m_others;
};
