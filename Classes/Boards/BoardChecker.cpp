#include "BoardChecker.h"

#include "CatalogueCheck.h"

#include "Platform/Media/AudioProbe.h"

#include <algorithm>
#include <fstream>
#include <iterator>
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
    const fs::path cataloguePath = board / "Data.XML";
    std::ifstream in(cataloguePath, std::ios::binary);
    if (!fs::is_regular_file(cataloguePath, failed) || !in) {
        check.problems.push_back({Severity::Error, "Data.XML", 0, "missing or unreadable"});
        return check;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CatalogueCheck catalogue = CatalogueCheck::ofText(text);
    check.problems = std::move(catalogue.problems);

    // Each sound file is checked once, at the first entry that names it.
    std::set<std::string, std::less<>> named;
    for (const auto& entry : catalogue.entries) {
        if (!named.insert(entry.audioNumber).second) continue;
        const std::string fileName = entry.audioNumber + ".aiff";
        const fs::path sound = board / fileName;
        if (!fs::is_regular_file(sound, failed)) {
            check.problems.push_back({Severity::Error, "Data.XML", entry.line,
                                      "sound file " + fileName + " is missing"});
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
