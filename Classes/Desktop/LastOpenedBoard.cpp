#include "LastOpenedBoard.h"

#include "DesktopPreferences.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Foundation/UserDefaults.h"

#include <atomic>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kLastBoardKey = "LastOpenedBoard";
// The board this or an earlier start began to open and has not yet seen shown.
constexpr std::string_view kOpeningBoardKey = "OpeningBoard";

// Whether this process noted a board as being opened and has not confirmed it.
std::atomic<bool> g_opening{false};

void markOpening(DesktopPreferences& preferences, const fs::path& kept) {
    preferences.store().setObject(platform::PlistValue(kept.string()), kOpeningBoardKey);
    preferences.synchronize();
    g_opening = true;
}

std::optional<std::string> textFor(const platform::UserDefaults& store, std::string_view key) {
    auto value = store.objectForKey(key);
    const auto* text = value ? value->get<std::string>() : nullptr;
    if (text == nullptr || text->empty()) return std::nullopt;
    return *text;
}

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
    markOpening(preferences, kept);
}

void LastOpenedBoard::forget() {
    std::error_code failed;
    if (!fs::exists(preferencesFile(), failed)) return;
    DesktopPreferences preferences;
    if (!preferences.store().objectForKey(kLastBoardKey) &&
        !preferences.store().objectForKey(kOpeningBoardKey)) {
        return;
    }
    preferences.store().removeObjectForKey(kLastBoardKey);
    preferences.store().removeObjectForKey(kOpeningBoardKey);
    preferences.synchronize();
}

std::optional<fs::path> LastOpenedBoard::recall(bool noteOpening) {
    std::error_code failed;
    if (!fs::exists(preferencesFile(), failed)) return std::nullopt;
    DesktopPreferences preferences;
    const auto last = textFor(preferences.store(), kLastBoardKey);
    if (!last) return std::nullopt;
    // A note this process made itself is no sign of an earlier start's trouble.
    if (!g_opening && textFor(preferences.store(), kOpeningBoardKey) == last) {
        platform::Log("The board " + *last +
                      " did not finish opening the last time (the program hung or crashed); "
                      "it is not opened by itself this time");
        if (noteOpening) forget();
        return std::nullopt;
    }
    fs::path board(*last);
    if (!platform::Bundle::isBoardFolder(board)) return std::nullopt;
    if (noteOpening) markOpening(preferences, board);
    return board;
}

void LastOpenedBoard::confirmOpened() {
    if (!g_opening.exchange(false)) return;
    DesktopPreferences preferences;
    if (!preferences.store().objectForKey(kOpeningBoardKey)) return;
    preferences.store().removeObjectForKey(kOpeningBoardKey);
    preferences.synchronize();
}
