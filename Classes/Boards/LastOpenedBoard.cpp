#include "LastOpenedBoard.h"

#include "DesktopPreferences.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/UserDefaults.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kLastBoardKey = "LastOpenedBoard";

}  // namespace

fs::path LastOpenedBoard::preferencesFile() {
    return DesktopPreferences::file();
}

void LastOpenedBoard::remember(const fs::path& board) {
    const fs::path kept = DesktopPreferences::normalBoardPath(board);
    DesktopPreferences preferences;
    preferences.store().setObject(platform::PlistValue(kept.string()), kLastBoardKey);
    // The board opened last is also the first of the recent ones.
    preferences.addRecentBoard(kept);
}

void LastOpenedBoard::forget() {
    std::error_code failed;
    if (!fs::exists(preferencesFile(), failed)) return;
    DesktopPreferences preferences;
    if (!preferences.store().objectForKey(kLastBoardKey)) return;
    preferences.store().removeObjectForKey(kLastBoardKey);
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
