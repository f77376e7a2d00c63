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

    // The identifier a board made at `board` takes: the old board's when it has
    // a usable one, else a new one; none when its Info.plist is there but cannot
    // be read now (no descriptors, an I/O error), since a new identifier would
    // part the board from its settings.
    static std::optional<std::string> identifierForBoardAt(const std::filesystem::path& board);

    // Whether `board` is a folder this program's board maker made, which a new
    // board may replace: its Info.plist carries the maker's mark (older makers
    // marked a board only by a generated identifier). Any other folder may hold
    // the user's only copies of something.
    static bool wasMadeByBoardMaker(const std::filesystem::path& board);

    // The name, the identifier and the board maker's mark.
    platform::PlistDictionary infoDictionary() const;
};
