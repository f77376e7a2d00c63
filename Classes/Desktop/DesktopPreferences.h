#pragma once

#include "Classes/Desktop/SoundPlayMode.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Foundation/WindowFrame.h"

#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The desktop's own preferences: the output device, the volume and its mute,
// the zoom, where the window was left and the boards opened lately. They live
// in a small property list of the application's own beside its settings (the
// same file that remembers the board opened last), never among the favourite
// marks of any board. Every change is written durably at once; a value that is
// missing or of the wrong kind reads as its default.
//
// An instance is a light handle: every handle of the process shares one store,
// read from the file once and written through by each change. The file is
// read again only when another process (a second copy, the command line)
// changed it since, or when $XDG_CONFIG_HOME names another file.
class DesktopPreferences {
  public:
    static constexpr std::size_t kRecentBoardLimit = 10;
    static constexpr int kDefaultVolume = 100;

    using WindowFrame = platform::WindowFrame;

    // The shared store of the file as it stands now (none yet: every value at
    // its default); reading the file only when it is new or changed on disk.
    DesktopPreferences();

    static std::filesystem::path file();

    // Empty: the system default.
    std::string outputDevice() const;
    void setOutputDevice(const std::string& name);
    // 0..100.
    int volume() const;
    void setVolume(int percent);
    bool muted() const;
    void setMuted(bool muted);
    // Play into Voice Chat: off until switched on.
    bool voiceChat() const;
    void setVoiceChat(bool on);
    // The microphone passed through, by the server's source name: none
    // (std::nullopt), the system default (empty, when none is kept) or a name.
    std::optional<std::string> voiceChatMicrophone() const;
    void setVoiceChatMicrophone(const std::optional<std::string>& name);
    // Hear Sounds Myself: on until switched off.
    bool hearSoundsMyself() const;
    void setHearSoundsMyself(bool on);
    // 1 when none is kept.
    // None until the user zoomed: the window then starts at its screen's default.
    std::optional<double> zoom() const;
    void setZoom(double zoom);
    std::optional<WindowFrame> windowFrame() const;
    void setWindowFrame(const WindowFrame& frame);
    // Whether the window was left on the pads page (it opens on it again).
    bool padsPageOpen() const;
    void setPadsPageOpen(bool open);

    // The play modes of `board`'s sounds by audio number; a sound without one
    // plays in the default mode. Kept per board (by its normal path).
    std::map<std::string, SoundPlayMode, std::less<>> soundPlayModes(
        const std::filesystem::path& board) const;
    // Keeps `mode` for sound `audioNumber` of `board`; the default mode keeps nothing.
    void setSoundPlayMode(const std::filesystem::path& board, const std::string& audioNumber,
                          const SoundPlayMode& mode);

    // Most recent first, at most kRecentBoardLimit, each once.
    std::vector<std::filesystem::path> recentBoards() const;
    // Puts `board` (made absolute) first.
    void addRecentBoard(const std::filesystem::path& board);
    void removeRecentBoard(const std::filesystem::path& board);

    // The raw store, for the board remembered last (its own key, kept as it
    // was); synchronize() writes what was changed there.
    platform::UserDefaults& store() { return *m_store; }
    bool synchronize();

    // `board` as it is kept: absolute and normal.
    static std::filesystem::path normalBoardPath(const std::filesystem::path& board);

  private:
    void write(std::string_view key, platform::PlistValue value);
    std::optional<double> number(std::string_view key) const;
    void writeRecentBoards(const std::vector<std::filesystem::path>& boards);

    // Shared: a handle made before the file was read afresh keeps the store it
    // had, whose synchronize merges with the file as another process's would.
    std::shared_ptr<platform::UserDefaults> m_store;
};
