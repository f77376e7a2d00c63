#pragma once

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
// files are in natural order. Hidden names (".…") are passed over; names a
// catalogue cannot hold and folders that cannot be listed are left out with
// one line each in `skipped`. Whether a file is audio is not decided here.
struct SourceScan {
    std::vector<SourceCategory> categories;
    std::vector<std::string> skipped;

    std::size_t fileCount() const;
    static SourceScan ofFolder(const std::filesystem::path& folder);
};
