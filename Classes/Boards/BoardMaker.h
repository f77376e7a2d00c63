#pragma once

#include "Classes/Boards/BoardOutcome.h"
#include "Platform/Media/CancellationFlag.h"
#include "Platform/Media/ImportEngine.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// What making a board came to.
struct BoardMakerReport {
    BoardOutcome outcome;
    std::vector<std::string> skipped;  // one line per file left out: file and reason
    std::size_t soundCount = 0;
    std::size_t categoryCount = 0;
    double audioSeconds = 0.0;
};

// Makes a board from a folder of audio files (see SourceScan for how folders
// become categories). Every readable file becomes a 16-bit AIFF at its own
// sample rate, levelled to the engine's loudness target, named by its audio
// number: 1, 2, ... in catalogue order, zero-padded to one width (at least 3
// digits). The board gets Data.XML, written and read back before it counts, and
// an Info.plist with its name (the destination's folder name) and identifier
// (kept when an old board is replaced, new otherwise).
//
// The board appears whole or not at all: it is built beside the destination
// and moved into place at the end. A missing source, a source without files,
// no file that could be read, an unusable destination or cancellation leave the
// destination untouched and nothing behind.
class BoardMaker {
  public:
    // finished and total count files; called on the thread that runs make().
    using ProgressCallback = std::function<void(std::size_t finished, std::size_t total)>;

    explicit BoardMaker(media::ImportEngine::Settings settings = {});

    BoardMakerReport make(const std::filesystem::path& source,
                          const std::filesystem::path& destination,
                          const media::CancellationFlag& cancellation,
                          const ProgressCallback& progress = {}) const;

    // The audio number of sound `index` (from 0) of `count`.
    static std::string audioNumber(std::size_t index, std::size_t count);

  private:
    media::ImportEngine m_engine;
};
