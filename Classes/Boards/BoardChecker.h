#pragma once

#include "BoardProblem.h"

#include <filesystem>
#include <string>
#include <vector>

// Checks a board folder as the pages would read it: its catalogue (see
// CatalogueCheck), a sound file for every audio number that the player will
// play (media::mapPlayableSound: the same test the player makes) and that
// decodes whole, and (as notes) sound files that no entry names. Usable when
// there is no error.
struct BoardCheck {
    std::vector<BoardProblem> problems;
    bool usable() const;
    // The report as --check-board prints it: a line per problem, then whether
    // `board` is usable.
    std::string reportText(const std::filesystem::path& board) const;

    static BoardCheck ofFolder(const std::filesystem::path& board);
};
