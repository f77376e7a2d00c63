#include "BoardIdentity.h"

#include "Platform/Foundation/FileContents.h"

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

platform::PlistDictionary BoardIdentity::infoDictionary() const {
    platform::PlistDictionary info;
    info["CFBundleName"] = name;
    info["CFBundleDisplayName"] = name;
    info["CFBundleIdentifier"] = identifier;
    return info;
}
