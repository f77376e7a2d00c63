#include "DesktopPreferences.h"

#include "Platform/Foundation/XdgPaths.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>

namespace fs = std::filesystem;
using platform::PlistArray;
using platform::PlistDictionary;
using platform::PlistValue;

namespace {

constexpr std::string_view kApplicationIdentifier = "org.soundboard.Soundboard";
constexpr std::string_view kOutputDeviceKey = "OutputDevice";
constexpr std::string_view kVolumeKey = "Volume";
constexpr std::string_view kMutedKey = "Muted";
constexpr std::string_view kVoiceChatKey = "VoiceChat";
constexpr std::string_view kVoiceChatMicrophoneKey = "VoiceChatMicrophone";
constexpr std::string_view kVoiceChatNoMicrophoneKey = "VoiceChatNoMicrophone";
constexpr std::string_view kHearSoundsMyselfKey = "HearSoundsMyself";
constexpr std::string_view kPadsPageOpenKey = "PadsPageOpen";
constexpr std::string_view kSoundPlayModesKey = "SoundPlayModes";
constexpr const char* kAgainKey = "whenPlayedAgain";
constexpr const char* kLoopsKey = "loops";
constexpr const char* kTrimKey = "trimDecibels";

const char* againName(SoundPlayMode::Again again) {
    switch (again) {
        case SoundPlayMode::Again::kRestart:
            return "restart";
        case SoundPlayMode::Again::kStop:
            return "stop";
        case SoundPlayMode::Again::kOverlap:
            break;
    }
    return "overlap";
}

SoundPlayMode modeIn(const platform::PlistDictionary& kept) {
    SoundPlayMode mode;
    if (const auto again = kept.find(kAgainKey); again != kept.end()) {
        if (const auto* name = again->second.get<std::string>()) {
            if (*name == "restart") mode.again = SoundPlayMode::Again::kRestart;
            if (*name == "stop") mode.again = SoundPlayMode::Again::kStop;
        }
    }
    if (const auto loops = kept.find(kLoopsKey); loops != kept.end()) {
        if (const auto* on = loops->second.get<bool>()) mode.loops = *on;
    }
    if (const auto trim = kept.find(kTrimKey); trim != kept.end()) {
        if (const auto* whole = trim->second.get<std::int64_t>()) {
            mode.trimDecibels = SoundPlayMode::trimOnSteps(static_cast<double>(*whole));
        } else if (const auto* real = trim->second.get<double>()) {
            mode.trimDecibels = SoundPlayMode::trimOnSteps(*real);
        }
    }
    return mode;
}
constexpr std::string_view kZoomKey = "Zoom";
constexpr std::string_view kWindowFrameKey = "WindowFrame";
constexpr std::string_view kRecentBoardsKey = "RecentBoards";
// A frame beyond this is no desktop's: a damaged or hostile file.
constexpr double kLargestCoordinate = 1'000'000;

std::optional<double> numberIn(const PlistValue& value) {
    if (const auto* whole = value.get<std::int64_t>()) return static_cast<double>(*whole);
    if (const auto* real = value.get<double>(); real != nullptr && std::isfinite(*real)) {
        return *real;
    }
    return std::nullopt;
}

std::optional<int> coordinate(const PlistDictionary& frame, const std::string& key) {
    const auto found = frame.find(key);
    if (found == frame.end()) return std::nullopt;
    const auto number = numberIn(found->second);
    if (!number || std::fabs(*number) > kLargestCoordinate) return std::nullopt;
    return static_cast<int>(std::lround(*number));
}

// What the file looked like when the shared store last read or wrote it: a
// different one means someone else wrote it since (a store writes a new file
// and renames it over the old, so the file's identity changes too).
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t writtenSeconds = 0;
    long writtenNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const fs::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) return {};
    return FileStamp{true,
                     status.st_dev,
                     status.st_ino,
                     status.st_size,
                     static_cast<std::int64_t>(status.st_mtim.tv_sec),
                     status.st_mtim.tv_nsec};
}

// The one store every handle shares, of the file it was read from.
struct SharedStore {
    std::mutex mutex;
    fs::path file;
    FileStamp stamp;
    std::shared_ptr<platform::UserDefaults> store;
};

SharedStore& sharedStore() {
    static SharedStore shared;
    return shared;
}

std::shared_ptr<platform::UserDefaults> currentStore() {
    SharedStore& shared = sharedStore();
    const fs::path wanted = DesktopPreferences::file();
    const std::lock_guard lock(shared.mutex);
    const FileStamp stamp = stampOf(wanted);
    if (!shared.store || shared.file != wanted || shared.stamp != stamp) {
        shared.store = std::make_shared<platform::UserDefaults>(wanted);
        shared.file = wanted;
        shared.stamp = stamp;
    }
    return shared.store;
}

// After `store` wrote the file, what is on disk is what it holds.
void noteWritten(const std::shared_ptr<platform::UserDefaults>& store) {
    SharedStore& shared = sharedStore();
    const std::lock_guard lock(shared.mutex);
    if (shared.store == store) shared.stamp = stampOf(shared.file);
}

}  // namespace

DesktopPreferences::DesktopPreferences() : m_store(currentStore()) {}

fs::path DesktopPreferences::file() {
    const std::string identifier(kApplicationIdentifier);
    return platform::XdgPaths::configHome() / identifier / (identifier + ".desktop.plist");
}

fs::path DesktopPreferences::normalBoardPath(const fs::path& board) {
    std::error_code failed;
    const fs::path absolute = fs::absolute(board, failed);
    return (failed ? board : absolute).lexically_normal();
}

void DesktopPreferences::write(std::string_view key, PlistValue value) {
    m_store->setObject(std::move(value), key);
    synchronize();
}

bool DesktopPreferences::synchronize() {
    // The folder is made on the first write only: reading leaves no trace.
    std::error_code ignored;
    fs::create_directories(m_store->filePath().parent_path(), ignored);
    const bool written = m_store->synchronize();
    noteWritten(m_store);
    return written;
}

std::optional<double> DesktopPreferences::number(std::string_view key) const {
    const auto value = m_store->objectForKey(key);
    return value ? numberIn(*value) : std::nullopt;
}

std::string DesktopPreferences::outputDevice() const {
    const auto value = m_store->objectForKey(kOutputDeviceKey);
    const auto* text = value ? value->get<std::string>() : nullptr;
    return text != nullptr ? *text : std::string();
}

void DesktopPreferences::setOutputDevice(const std::string& name) {
    write(kOutputDeviceKey, PlistValue(name));
}

int DesktopPreferences::volume() const {
    const auto kept = number(kVolumeKey);
    return kept ? static_cast<int>(std::lround(std::clamp(*kept, 0.0, 100.0))) : kDefaultVolume;
}

void DesktopPreferences::setVolume(int percent) {
    write(kVolumeKey, PlistValue(std::clamp(percent, 0, 100)));
}

bool DesktopPreferences::muted() const {
    return m_store->boolForKey(kMutedKey);
}

bool DesktopPreferences::voiceChat() const {
    return m_store->boolForKey(kVoiceChatKey);
}

void DesktopPreferences::setVoiceChat(bool on) {
    write(kVoiceChatKey, PlistValue(on));
}

std::optional<std::string> DesktopPreferences::voiceChatMicrophone() const {
    if (m_store->boolForKey(kVoiceChatNoMicrophoneKey)) return std::nullopt;
    const auto value = m_store->objectForKey(kVoiceChatMicrophoneKey);
    const auto* text = value ? value->get<std::string>() : nullptr;
    return text != nullptr ? *text : std::string();
}

void DesktopPreferences::setVoiceChatMicrophone(const std::optional<std::string>& name) {
    m_store->setObject(PlistValue(name.value_or(std::string())), kVoiceChatMicrophoneKey);
    write(kVoiceChatNoMicrophoneKey, PlistValue(!name.has_value()));
}

bool DesktopPreferences::hearSoundsMyself() const {
    const auto value = m_store->objectForKey(kHearSoundsMyselfKey);
    const auto* on = value ? value->get<bool>() : nullptr;
    return on == nullptr || *on;
}

void DesktopPreferences::setHearSoundsMyself(bool on) {
    write(kHearSoundsMyselfKey, PlistValue(on));
}

bool DesktopPreferences::padsPageOpen() const {
    return m_store->boolForKey(kPadsPageOpenKey);
}

void DesktopPreferences::setPadsPageOpen(bool open) {
    if (padsPageOpen() == open) return;
    write(kPadsPageOpenKey, PlistValue(open));
}

void DesktopPreferences::setMuted(bool muted) {
    write(kMutedKey, PlistValue(muted));
}

std::optional<double> DesktopPreferences::zoom() const {
    const auto kept = number(kZoomKey);
    if (kept && *kept > 0) return kept;
    return std::nullopt;
}

void DesktopPreferences::setZoom(double zoom) {
    if (std::isfinite(zoom) && zoom > 0) write(kZoomKey, PlistValue(zoom));
}

std::map<std::string, SoundPlayMode, std::less<>> DesktopPreferences::soundPlayModes(
    const fs::path& board) const {
    std::map<std::string, SoundPlayMode, std::less<>> modes;
    const auto value = m_store->objectForKey(kSoundPlayModesKey);
    const auto* boards = value ? value->get<PlistDictionary>() : nullptr;
    if (boards == nullptr) return modes;
    const auto found = boards->find(normalBoardPath(board).string());
    const auto* sounds = found != boards->end() ? found->second.get<PlistDictionary>() : nullptr;
    if (sounds == nullptr) return modes;
    for (const auto& [number, kept] : *sounds) {
        const auto* dictionary = kept.get<PlistDictionary>();
        if (dictionary == nullptr) continue;
        if (const SoundPlayMode mode = modeIn(*dictionary); !mode.isDefault()) {
            modes.emplace(number, mode);
        }
    }
    return modes;
}

void DesktopPreferences::setSoundPlayMode(const fs::path& board, const std::string& audioNumber,
                                          const SoundPlayMode& mode) {
    const auto value = m_store->objectForKey(kSoundPlayModesKey);
    PlistDictionary boards;
    if (const auto* kept = value ? value->get<PlistDictionary>() : nullptr) boards = *kept;
    const std::string key = normalBoardPath(board).string();
    PlistDictionary sounds;
    if (const auto found = boards.find(key); found != boards.end()) {
        if (const auto* kept = found->second.get<PlistDictionary>()) sounds = *kept;
    }
    if (mode.isDefault()) {
        sounds.erase(audioNumber);
    } else {
        sounds.insert_or_assign(
            audioNumber,
            PlistValue(PlistDictionary{
                {kAgainKey, PlistValue(againName(mode.again))},
                {kLoopsKey, PlistValue(mode.loops)},
                {kTrimKey, PlistValue(SoundPlayMode::trimOnSteps(mode.trimDecibels))}}));
    }
    if (sounds.empty()) {
        boards.erase(key);
    } else {
        boards.insert_or_assign(key, PlistValue(std::move(sounds)));
    }
    write(kSoundPlayModesKey, PlistValue(std::move(boards)));
}

std::optional<DesktopPreferences::WindowFrame> DesktopPreferences::windowFrame() const {
    const auto value = m_store->objectForKey(kWindowFrameKey);
    const auto* frame = value ? value->get<PlistDictionary>() : nullptr;
    if (frame == nullptr) return std::nullopt;
    const auto x = coordinate(*frame, "x");
    const auto y = coordinate(*frame, "y");
    const auto width = coordinate(*frame, "width");
    const auto height = coordinate(*frame, "height");
    if (!x || !y || !width || !height || *width <= 0 || *height <= 0) return std::nullopt;
    return WindowFrame{*x, *y, *width, *height};
}

void DesktopPreferences::setWindowFrame(const WindowFrame& frame) {
    write(kWindowFrameKey, PlistValue(PlistDictionary{{"x", PlistValue(frame.x)},
                                                      {"y", PlistValue(frame.y)},
                                                      {"width", PlistValue(frame.width)},
                                                      {"height", PlistValue(frame.height)}}));
}

std::vector<fs::path> DesktopPreferences::recentBoards() const {
    std::vector<fs::path> boards;
    const auto value = m_store->objectForKey(kRecentBoardsKey);
    const auto* list = value ? value->get<PlistArray>() : nullptr;
    if (list == nullptr) return boards;
    for (const PlistValue& item : *list) {
        const auto* text = item.get<std::string>();
        if (text == nullptr || text->empty()) continue;
        const fs::path board(*text);
        if (std::find(boards.begin(), boards.end(), board) != boards.end()) continue;
        boards.push_back(board);
        if (boards.size() == kRecentBoardLimit) break;
    }
    return boards;
}

void DesktopPreferences::addRecentBoard(const fs::path& board) {
    const fs::path kept = normalBoardPath(board);
    std::vector<fs::path> boards = recentBoards();
    std::erase(boards, kept);
    boards.insert(boards.begin(), kept);
    if (boards.size() > kRecentBoardLimit) boards.resize(kRecentBoardLimit);
    writeRecentBoards(boards);
}

void DesktopPreferences::removeRecentBoard(const fs::path& board) {
    std::vector<fs::path> boards = recentBoards();
    if (std::erase(boards, normalBoardPath(board)) == 0) return;
    writeRecentBoards(boards);
}

void DesktopPreferences::writeRecentBoards(const std::vector<fs::path>& boards) {
    PlistArray list;
    for (const fs::path& board : boards) list.emplace_back(board.string());
    write(kRecentBoardsKey, PlistValue(std::move(list)));
}
