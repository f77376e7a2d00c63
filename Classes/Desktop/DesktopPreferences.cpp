#include "DesktopPreferences.h"

#include "Platform/Foundation/XdgPaths.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace fs = std::filesystem;
using platform::PlistArray;
using platform::PlistDictionary;
using platform::PlistValue;

namespace {

constexpr std::string_view kApplicationIdentifier = "org.soundboard.Soundboard";
constexpr std::string_view kOutputDeviceKey = "OutputDevice";
constexpr std::string_view kVolumeKey = "Volume";
constexpr std::string_view kMutedKey = "Muted";
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

}  // namespace

DesktopPreferences::DesktopPreferences() : m_store(file()) {}

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
    m_store.setObject(std::move(value), key);
    synchronize();
}

bool DesktopPreferences::synchronize() {
    // The folder is made on the first write only: reading leaves no trace.
    std::error_code ignored;
    fs::create_directories(m_store.filePath().parent_path(), ignored);
    return m_store.synchronize();
}

std::optional<double> DesktopPreferences::number(std::string_view key) const {
    const auto value = m_store.objectForKey(key);
    return value ? numberIn(*value) : std::nullopt;
}

std::string DesktopPreferences::outputDevice() const {
    const auto value = m_store.objectForKey(kOutputDeviceKey);
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
    return m_store.boolForKey(kMutedKey);
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

std::optional<DesktopPreferences::WindowFrame> DesktopPreferences::windowFrame() const {
    const auto value = m_store.objectForKey(kWindowFrameKey);
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
    const auto value = m_store.objectForKey(kRecentBoardsKey);
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
