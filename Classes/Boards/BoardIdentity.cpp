#include "BoardIdentity.h"

#include "Platform/Foundation/FileContents.h"

#include <algorithm>
#include <array>
#include <random>

namespace {

constexpr std::string_view kGeneratedPrefix = "org.soundboard.board.";
constexpr std::string_view kMakersMarkKey = "MadeBySoundboardBoardMaker";

bool isGeneratedIdentifier(std::string_view text) {
    if (text.substr(0, kGeneratedPrefix.size()) != kGeneratedPrefix) return false;
    const std::string_view digits = text.substr(kGeneratedPrefix.size());
    return digits.size() == 32 && std::all_of(digits.begin(), digits.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

}  // namespace

std::string BoardIdentity::generatedIdentifier() {
    static constexpr std::string_view kDigits = "0123456789abcdef";
    std::random_device entropy;
    std::string identifier(kGeneratedPrefix);
    for (int word = 0; word < 4; ++word) {
        std::uint32_t bits = entropy();
        for (int nibble = 0; nibble < 8; ++nibble, bits >>= 4) identifier += kDigits[bits & 0xf];
    }
    return identifier;
}

namespace {

std::optional<std::string> usableIdentifier(const std::optional<platform::PlistValue>& info) {
    const auto* dictionary = info ? info->get<platform::PlistDictionary>() : nullptr;
    if (dictionary == nullptr) return std::nullopt;
    auto found = dictionary->find("CFBundleIdentifier");
    if (found == dictionary->end()) return std::nullopt;
    const auto* text = found->second.get<std::string>();
    if (text == nullptr || text->empty() || text->find('/') != std::string::npos || *text == "." ||
        *text == "..") {
        return std::nullopt;
    }
    return *text;
}

}  // namespace

std::optional<std::string> BoardIdentity::identifierOfBoard(const std::filesystem::path& board) {
    return usableIdentifier(platform::PropertyList::readFile(board / "Info.plist"));
}

std::optional<std::string> BoardIdentity::identifierForBoardAt(const std::filesystem::path& board) {
    const auto contents = platform::readFileContents(board / "Info.plist");
    if (contents.unreadable()) return std::nullopt;
    std::optional<platform::PlistValue> info;
    if (contents.bytes) info = platform::PropertyList::fromBytes(*contents.bytes);
    return usableIdentifier(info).value_or(generatedIdentifier());
}

bool BoardIdentity::wasMadeByBoardMaker(const std::filesystem::path& board) {
    // The maker writes a plain file; a link could borrow another board's mark.
    std::error_code failed;
    if (!std::filesystem::is_regular_file(
            std::filesystem::symlink_status(board / "Info.plist", failed))) {
        return false;
    }
    const auto info = platform::PropertyList::readDictionaryFile(board / "Info.plist");
    if (!info) return false;
    if (auto mark = info->find(std::string(kMakersMarkKey)); mark != info->end()) {
        if (const auto* made = mark->second.get<bool>()) return *made;
    }
    auto identifier = info->find("CFBundleIdentifier");
    const auto* text = identifier != info->end() ? identifier->second.get<std::string>() : nullptr;
    return text != nullptr && isGeneratedIdentifier(*text);
}

platform::PlistDictionary BoardIdentity::infoDictionary() const {
    platform::PlistDictionary info;
    info[std::string(kMakersMarkKey)] = true;
    info["CFBundleName"] = name;
    info["CFBundleDisplayName"] = name;
    info["CFBundleIdentifier"] = identifier;
    return info;
}
