#pragma once

#include "Platform/Media/CancellationFlag.h"

#include <filesystem>
#include <string>
#include <vector>

// One file of a source folder that may become a sound.
struct SourceFile {
    std::filesystem::path path;
    std::string label;  // the file name without its extension, as written
};

struct SourceCategory {
    std::string title;
    std::vector<SourceFile> files;
};

// A source folder read as a board's categories: the files at the top level
// form a first category titled with the folder's name; each sub-folder (and
// whatever lies below it) forms one more, titled with its name. Categories and
// files are in natural order. Hidden names (".…") and folders that are boards
// (Data.XML with Info.plist) are passed over. Links to
// folders are not followed, and a link to a file counts only when it leads to
// a regular file. Names a catalogue cannot hold, folders that cannot be
// listed, entries that cannot be reached, FIFOs, devices, sockets and links
// left out are noted with one line each, and why, in `skipped`. Whether a file
// is audio is not decided here. A cancellation stops the scan where it is.
struct SourceScan {
    std::vector<SourceCategory> categories;
    std::vector<std::string> skipped;

    std::size_t fileCount() const;
    static SourceScan ofFolder(const std::filesystem::path& folder,
                               const media::CancellationFlag& cancellation = {});
};
