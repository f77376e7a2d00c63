#pragma once

#include "Platform/Foundation/PropertyList.h"

#include <filesystem>
#include <optional>
#include <string>

// The name and identifier a board keeps in its Info.plist. The identifier keys
// the board's own settings store, so favourite marks of one board never show in
// another; a board made again in the same place keeps it.
struct BoardIdentity {
    std::string name;
    std::string identifier;

    // "org.soundboard.board." and 32 random hexadecimal digits.
    static std::string generatedIdentifier();
    // The identifier in `board`/Info.plist; none when there is no usable one.
    static std::optional<std::string> identifierOfBoard(const std::filesystem::path& board);

    platform::PlistDictionary infoDictionary() const;
};
