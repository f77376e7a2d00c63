#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

// The real soundboard program run on hostile boards and sources, and the
// files a run must leave as they were.
namespace hostile {

struct Outcome {
    int status = -1;     // the exit status; -1 when the program did not exit normally
    std::string output;  // standard output and standard error, as they came
    long peakMemoryKiB = 0;
    double seconds = 0;  // from start to end, wall clock
};

// Runs the program with `arguments` to its end (a child that stays silent
// for a minute is killed and reported as not exiting).
Outcome run(const std::vector<std::string>& arguments,
            const std::vector<std::string>& environmentChanges = {});

// Every entry below `folder` (links not followed) by its path relative to
// `folder`, with a file's bytes, a link's target or "<folder>".
using Snapshot = std::map<std::string, std::string>;
Snapshot snapshot(const std::filesystem::path& folder);

// A short stereo WAV tone.
void writeClip(const std::filesystem::path& path);

}  // namespace hostile
