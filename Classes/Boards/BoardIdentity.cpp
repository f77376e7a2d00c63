#include "BoardIdentity.h"

#include <array>
#include <random>

std::string BoardIdentity::generatedIdentifier() {
    static constexpr std::string_view kDigits = "0123456789abcdef";
    std::random_device entropy;
    std::string identifier = "org.soundboard.board.";
    for (int word = 0; word < 4; ++word) {
        std::uint32_t bits = entropy();
        for (int nibble = 0; nibble < 8; ++nibble, bits >>= 4) identifier += kDigits[bits & 0xf];
    }
    return identifier;
}

std::optional<std::string> BoardIdentity::identifierOfBoard(const std::filesystem::path& board) {
    auto info = platform::PropertyList::readDictionaryFile(board / "Info.plist");
    if (!info) return std::nullopt;
    auto found = info->find("CFBundleIdentifier");
    if (found == info->end()) return std::nullopt;
    const auto* text = found->second.get<std::string>();
    if (text == nullptr || text->empty() || text->find('/') != std::string::npos || *text == "." ||
        *text == "..") {
        return std::nullopt;
    }
    return *text;
}

platform::PlistDictionary BoardIdentity::infoDictionary() const {
    platform::PlistDictionary info;
    info["CFBundleName"] = name;
    info["CFBundleDisplayName"] = name;
    info["CFBundleIdentifier"] = identifier;
    return info;
}
