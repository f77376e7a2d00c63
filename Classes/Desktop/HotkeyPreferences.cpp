#include "Classes/Desktop/HotkeyPreferences.h"

#include "Classes/Desktop/DesktopPreferences.h"

namespace HotkeyPreferences {
namespace {

constexpr const char* kKey = "globalHotkeys";

platform::PlistDictionary allBoards(DesktopPreferences& preferences) {
    const auto value = preferences.store().objectForKey(kKey);
    const auto* boards = value ? value->get<platform::PlistDictionary>() : nullptr;
    return boards != nullptr ? *boards : platform::PlistDictionary();
}

}  // namespace

Assignments forBoard(const std::filesystem::path& board) {
    DesktopPreferences preferences;
    const auto boards = allBoards(preferences);
    const auto found = boards.find(DesktopPreferences::normalBoardPath(board).string());
    Assignments assignments;
    if (found == boards.end()) return assignments;
    const auto* actions = found->second.get<platform::PlistDictionary>();
    if (actions == nullptr) return assignments;
    for (const auto& [action, value] : *actions) {
        if (const auto* text = value.get<std::string>()) assignments[action] = *text;
    }
    return assignments;
}

void assign(const std::filesystem::path& board, const std::string& action,
            const std::optional<std::string>& combination) {
    DesktopPreferences preferences;
    auto boards = allBoards(preferences);
    const std::string key = DesktopPreferences::normalBoardPath(board).string();
    auto* actions = boards[key].get<platform::PlistDictionary>();
    if (actions == nullptr) {
        boards[key] = platform::PlistDictionary();
        actions = boards[key].get<platform::PlistDictionary>();
    }
    if (combination) {
        (*actions)[action] = *combination;
    } else {
        actions->erase(action);
    }
    if (actions->empty()) boards.erase(key);
    preferences.store().setObject(std::move(boards), kKey);
    preferences.synchronize();
}

}  // namespace HotkeyPreferences
