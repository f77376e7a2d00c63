#include "BoardChecker.h"

#include "BoardLimits.h"
#include "CatalogueCheck.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/FileContents.h"
#include "Platform/Media/AudioProbe.h"
#include "Platform/Media/PlayableSound.h"

#include <algorithm>
#include <cerrno>
#include <set>

namespace fs = std::filesystem;

std::string BoardCheck::reportText(const std::filesystem::path& board) const {
    std::string text;
    for (const auto& problem : problems) text += problem.text() + "\n";
    return text + board.string() + (usable() ? ": usable" : ": not usable");
}

bool BoardCheck::usable() const {
    return std::none_of(problems.begin(), problems.end(), [](const BoardProblem& problem) {
        return problem.severity == BoardProblem::Severity::Error;
    });
}

BoardCheck BoardCheck::ofFolder(const fs::path& board) {
    BoardCheck check;
    using Severity = BoardProblem::Severity;
    std::error_code failed;
    if (!fs::is_directory(board, failed)) {
        check.problems.push_back({Severity::Error, board.string(), 0, "not a folder"});
        return check;
    }
    // Found the way the pages find it: inside the board, after links.
    const auto lookup = platform::Bundle::bundleWithPath(board);
    if (!lookup || !lookup->pathForResource("Data", "XML")) {
        const bool there = fs::exists(fs::symlink_status(board / "Data.XML", failed));
        check.problems.push_back(
            {Severity::Error, "Data.XML", 0,
             there ? "not a regular file inside the board" : "missing or unreadable"});
        return check;
    }
    const auto contents =
        platform::readFileContents(board / "Data.XML", BoardLimits::kCatalogueBytes);
    if (contents.tooLarge()) {
        check.problems.push_back({Severity::Error, "Data.XML", 0,
                                  platform::sizeText(contents.size) + ", over the " +
                                      platform::sizeText(BoardLimits::kCatalogueBytes) +
                                      " a catalogue may hold"});
        return check;
    }
    if (!contents.bytes) {
        check.problems.push_back(
            {Severity::Error, "Data.XML", 0,
             contents.error == EINVAL ? "not a regular file" : "missing or unreadable"});
        return check;
    }
    CatalogueCheck catalogue = CatalogueCheck::ofText(*contents.bytes);
    check.problems = std::move(catalogue.problems);

    // Each sound file is checked once, at the first entry that names it, and
    // found the way the play page finds it.
    std::set<std::string, std::less<>> named;
    for (const auto& entry : catalogue.entries) {
        if (!named.insert(entry.audioNumber).second) continue;
        const std::string fileName = entry.audioNumber + ".aiff";
        const fs::path sound = board / fileName;
        const auto found =
            lookup ? lookup->pathForResource(entry.audioNumber, "aiff") : std::nullopt;
        if (!found && fs::exists(fs::symlink_status(sound, failed))) {
            check.problems.push_back(
                {Severity::Error, "Data.XML", entry.line,
                 "sound file " + fileName + " is not a regular file inside the board"});
        } else if (!found) {
            check.problems.push_back({Severity::Error, "Data.XML", entry.line,
                                      "sound file " + fileName + " is missing"});
        } else if (std::string refusal; !media::mapPlayableSound(sound, refusal)) {
            // The player's own test, first: it reads only the header, so a
            // huge or lying file costs nothing to refuse.
            check.problems.push_back(
                {Severity::Error, fileName, 0, "will not play: it " + refusal});
        } else if (auto problem = media::audioFileProblem(sound)) {
            check.problems.push_back({Severity::Error, fileName, 0, *problem});
        }
    }

    std::vector<std::string> unnamed;
    for (fs::directory_iterator list(board, failed), end; !failed && list != end;
         list.increment(failed)) {
        const fs::path& path = list->path();
        if (path.extension() != ".aiff" || !list->is_regular_file(failed)) continue;
        if (!named.contains(path.stem().string())) unnamed.push_back(path.filename().string());
    }
    std::sort(unnamed.begin(), unnamed.end());
    for (auto& fileName : unnamed) {
        check.problems.push_back(
            {Severity::Note, std::move(fileName), 0, "no entry names this sound"});
    }
    return check;
}
