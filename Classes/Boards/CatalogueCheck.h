#pragma once

#include "BoardProblem.h"

#include <string>
#include <string_view>
#include <vector>

// A sound entry as the catalogue holds it, with the line it starts on.
struct CatalogueEntry {
    std::string audioNumber;
    std::string label;
    long line = 0;
};

// Reads a catalogue text the way the pages do (categories are the document
// element's children, entries a category's children, by position) and lists
// every way it falls short of the catalogue format: not well formed, no
// category, a category without title, text where a category or entry would
// be, an entry without audio_no or label, an audio number that is not a plain
// file name or is the vibration key, and (as notes) one audio number used with
// different labels or entries holding elements. Any input gives a defined result.
struct CatalogueCheck {
    std::vector<BoardProblem> problems;
    // Entries whose audio number may name a sound file, in document order.
    std::vector<CatalogueEntry> entries;

    static CatalogueCheck ofText(std::string_view text, const std::string& fileName = "Data.XML");
    // Whether `audioNumber` may name "<audioNumber>.aiff" inside the board folder.
    static bool isPlainAudioNumber(std::string_view audioNumber);
};
