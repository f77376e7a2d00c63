#include "LastOpenedBoard.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/Foundation/XdgPaths.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kApplicationIdentifier = "org.soundboard.Soundboard";
constexpr std::string_view kLastBoardKey = "LastOpenedBoard";

platform::UserDefaults openPreferences() {
    const fs::path file = LastOpenedBoard::preferencesFile();
    std::error_code ignored;
    fs::create_directories(file.parent_path(), ignored);
    return platform::UserDefaults(file);
}

}  // namespace

fs::path LastOpenedBoard::preferencesFile() {
    const std::string identifier(kApplicationIdentifier);
    return platform::XdgPaths::configHome() / identifier / (identifier + ".desktop.plist");
}

void LastOpenedBoard::remember(const fs::path& board) {
    std::error_code failed;
    const fs::path absolute = fs::absolute(board, failed).lexically_normal();
    auto preferences = openPreferences();
    preferences.setObject(platform::PlistValue(absolute.string()), kLastBoardKey);
    preferences.synchronize();
}

void LastOpenedBoard::forget() {
    std::error_code failed;
    if (!fs::exists(preferencesFile(), failed)) return;
    auto preferences = openPreferences();
    if (!preferences.objectForKey(kLastBoardKey)) return;
    preferences.removeObjectForKey(kLastBoardKey);
    preferences.synchronize();
}

std::optional<fs::path> LastOpenedBoard::recall() {
    std::error_code failed;
    if (!fs::exists(preferencesFile(), failed)) return std::nullopt;
    platform::UserDefaults preferences(preferencesFile());
    auto value = preferences.objectForKey(kLastBoardKey);
    const auto* text = value ? value->get<std::string>() : nullptr;
    if (text == nullptr || text->empty()) return std::nullopt;
    fs::path board(*text);
    if (!platform::Bundle::isBoardFolder(board)) return std::nullopt;
    return board;
}
