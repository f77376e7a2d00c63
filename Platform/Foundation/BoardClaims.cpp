#include "BoardClaims.h"

#include "PropertyList.h"
#include "UserDefaults.h"
#include "XdgPaths.h"

namespace platform {
namespace {

std::string recordedFolder(const UserDefaults& claims, const std::string& identifier) {
    auto value = claims.objectForKey(identifier);
    const auto* text = value ? value->get<std::string>() : nullptr;
    return text != nullptr ? *text : std::string();
}

bool stillClaims(const std::filesystem::path& folder, const std::string& identifier) {
    if (folder.empty()) return false;
    auto info = PropertyList::readDictionaryFile(folder / "Info.plist");
    if (!info) return false;
    auto found = info->find("CFBundleIdentifier");
    const auto* text = found != info->end() ? found->second.get<std::string>() : nullptr;
    return text != nullptr && *text == identifier;
}

}  // namespace

std::filesystem::path BoardClaims::file(const std::string& applicationIdentifier) {
    return XdgPaths::configHome() / applicationIdentifier /
           (applicationIdentifier + ".boards.plist");
}

bool BoardClaims::belongsElsewhere(const std::string& applicationIdentifier,
                                   const std::string& identifier,
                                   const std::filesystem::path& board) {
    std::error_code failed;
    if (!std::filesystem::exists(file(applicationIdentifier), failed)) return false;
    const UserDefaults claims(file(applicationIdentifier));
    const std::filesystem::path recorded = recordedFolder(claims, identifier);
    return !recorded.empty() && recorded != board && stillClaims(recorded, identifier);
}

void BoardClaims::record(const std::string& applicationIdentifier, const std::string& identifier,
                         const std::filesystem::path& board) {
    UserDefaults claims(file(applicationIdentifier));
    const std::filesystem::path recorded = recordedFolder(claims, identifier);
    if (recorded == board || (!recorded.empty() && stillClaims(recorded, identifier))) return;
    claims.setObject(PlistValue(board.string()), identifier);
    claims.synchronize();
}

}  // namespace platform
