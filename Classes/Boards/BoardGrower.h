#pragma once

#include "Classes/Boards/BoardOutcome.h"
#include "Platform/Media/CancellationFlag.h"
#include "Platform/Media/ImportEngine.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// What adding files to a board came to.
struct BoardGrowerReport {
    BoardOutcome outcome;
    std::vector<std::string> skipped;  // one line per file left out: file and reason
    std::size_t soundCount = 0;        // sounds added
    std::string categoryTitle;         // the category they went to
};

// Adds audio files (and the files in dropped folders, in natural order) to
// one category of an existing board of the user's own, with the board maker's
// conversion and loudness rules. New sounds continue the board's numbering
// after the highest audio number its catalogue or its folder already uses, at
// the catalogue's width, so no existing file is ever overwritten. Labels are
// file names without extension, as written.
//
// The sounds are converted under hidden names in the board and named only
// once all are done; the catalogue is then replaced by one durable write. A
// cancelled or failed run leaves the board as it was. A folder with its own
// main window layout (the application's bundle) is never changed.
class BoardGrower {
  public:
    // finished and total count files; called on the thread that runs grow().
    using ProgressCallback = std::function<void(std::size_t finished, std::size_t total)>;

    explicit BoardGrower(media::ImportEngine::Settings settings = {});

    // `category` counts from 0; one past the last gives the first. A board
    // without categories gets one titled with the board folder's name.
    BoardGrowerReport grow(const std::filesystem::path& board,
                           const std::vector<std::filesystem::path>& additions,
                           std::size_t category, const media::CancellationFlag& cancellation,
                           const ProgressCallback& progress = {}) const;

  private:
    media::ImportEngine m_engine;
};
