// The board writer run under the fault-injection shim: making a board into a
// missing destination and over an old board, with every call in the boards
// folder failing in turn. After each run the destination is absent, the old
// board or the new one, whole; nothing is left beside it; and the command's
// exit status says which.

#include "FaultSuite.h"

#include "Classes/Boards/BoardIdentity.h"
#include "Classes/Catalogue/CatalogueWriter.h"
#include "Classes/SPLibrary/SPXML.h"
#include "Platform/Foundation/FileDescriptor.h"
#include "Platform/Foundation/PropertyList.h"
#include "Platform/Media/SoundFileHandle.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <set>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using sbfault::ProgramRun;
using sbfault::Scenario;
using sbfault::Verdict;

const std::string kHelper = SB_FAULT_HELPER;
constexpr int kRate = 8000;
const fs::path kBoards = "boards";
const fs::path kBoard = kBoards / "Board";
const std::string kOldIdentifier = "org.soundboard.board.0123456789abcdef0123456789abcdef";

// A board as the check expects it: its catalogue, the length of each sound in
// frames, and its identifier.
struct BoardShape {
    std::vector<CatalogueCategory> categories;
    std::map<std::string, sf_count_t> frames;  // audio number -> frames
    std::string identifier;                    // empty: any
};

// The source: two clips a few hundred frames long, in the folder "source".
const std::vector<std::pair<std::string, sf_count_t>> kClips = {{"alpha", 200}, {"bravo", 300}};

BoardShape newBoard(std::string identifier) {
    BoardShape shape;
    CatalogueCategory category{"source", {}};
    for (std::size_t index = 0; index < kClips.size(); ++index) {
        std::string number = "00" + std::to_string(index + 1);
        category.sounds.push_back({number, kClips[index].first});
        shape.frames[number] = kClips[index].second;
    }
    shape.categories.push_back(std::move(category));
    shape.identifier = std::move(identifier);
    return shape;
}

const BoardShape kOldBoard = {
    {{"old sounds", {{"001", "old clip"}}}}, {{"001", 100}}, kOldIdentifier};

void putLittleEndian(std::string& bytes, std::uint32_t value, int size) {
    for (int byte = 0; byte < size; ++byte) bytes.push_back(static_cast<char>(value >> (8 * byte)));
}

// A 16-bit mono WAV of a quiet tone.
std::string waveBytes(sf_count_t frames) {
    const auto dataSize = static_cast<std::uint32_t>(frames * 2);
    std::string bytes = "RIFF";
    putLittleEndian(bytes, 36 + dataSize, 4);
    bytes += "WAVEfmt ";
    putLittleEndian(bytes, 16, 4);
    putLittleEndian(bytes, 1, 2);  // PCM
    putLittleEndian(bytes, 1, 2);  // mono
    putLittleEndian(bytes, kRate, 4);
    putLittleEndian(bytes, kRate * 2, 4);
    putLittleEndian(bytes, 2, 2);
    putLittleEndian(bytes, 16, 2);
    bytes += "data";
    putLittleEndian(bytes, dataSize, 4);
    for (sf_count_t frame = 0; frame < frames; ++frame) {
        const double sample = 8000.0 * std::sin(static_cast<double>(frame) * 0.3);
        putLittleEndian(bytes, static_cast<std::uint16_t>(static_cast<std::int16_t>(sample)), 2);
    }
    return bytes;
}

// The frames of the AIFF at `path`; none when it is not a whole 16-bit AIFF.
std::optional<sf_count_t> aiffFrames(const fs::path& path) {
    SF_INFO info{};
    std::string error;
    auto file = media::SoundFileHandle::openForReading(path, info, error);
    if (!file || (info.format & SF_FORMAT_TYPEMASK) != SF_FORMAT_AIFF ||
        (info.format & SF_FORMAT_SUBMASK) != SF_FORMAT_PCM_16 || info.samplerate != kRate) {
        return std::nullopt;
    }
    std::vector<short> samples(static_cast<std::size_t>(info.frames * info.channels) + 1);
    if (sf_readf_short(file.get(), samples.data(), info.frames) != info.frames) return std::nullopt;
    return info.frames;
}

void writeAiff(const fs::path& path, sf_count_t frames) {
    platform::FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
    ASSERT_TRUE(fd.valid());
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 1;
    info.format = SF_FORMAT_AIFF | SF_FORMAT_PCM_16;
    std::string error;
    auto file = media::SoundFileHandle::openForWriting(fd.get(), info, error);
    ASSERT_TRUE(file) << error;
    std::vector<short> samples(static_cast<std::size_t>(frames), 1000);
    ASSERT_EQ(sf_writef_short(file.get(), samples.data(), frames), frames);
    ASSERT_TRUE(file.close());
}

// The board's catalogue as it reads through the pages' reader; none when it does not parse.
std::optional<std::vector<CatalogueCategory>> readCatalogue(const fs::path& board) {
    auto text = sbfault::readWhole(board / "Data.XML");
    if (!text) return std::nullopt;
    auto reader = SPXML::initWithData(*text);
    if (!reader || !reader->parse() || !reader->document()) return std::nullopt;
    std::vector<CatalogueCategory> categories;
    auto root = reader->document();
    for (std::size_t section = 0; section < root->childCount(); ++section) {
        auto category = root->childAt(section);
        CatalogueCategory read{category->attribute("title").value_or(""), {}};
        for (std::size_t row = 0; row < category->childCount(); ++row) {
            auto entry = category->childAt(row);
            read.sounds.push_back({entry->attribute("audio_no").value_or(""),
                                   entry->attribute("label").value_or("")});
        }
        categories.push_back(std::move(read));
    }
    return categories;
}

bool sameCatalogue(const std::vector<CatalogueCategory>& left,
                   const std::vector<CatalogueCategory>& right) {
    if (left.size() != right.size()) return false;
    for (std::size_t index = 0; index < left.size(); ++index) {
        const auto& a = left[index];
        const auto& b = right[index];
        if (a.title != b.title || a.sounds.size() != b.sounds.size()) return false;
        for (std::size_t row = 0; row < a.sounds.size(); ++row) {
            if (a.sounds[row].audioNumber != b.sounds[row].audioNumber ||
                a.sounds[row].label != b.sounds[row].label) {
                return false;
            }
        }
    }
    return true;
}

// Every way `board` differs from `shape`; empty when it is that board, whole:
// the catalogue parses and is the expected one, every sound is a whole AIFF of
// its length, Info.plist reads with the board's name and identifier, and
// nothing else lies in the folder.
std::vector<std::string> differences(const fs::path& board, const BoardShape& shape) {
    std::vector<std::string> found;
    auto catalogue = readCatalogue(board);
    if (!catalogue) {
        found.push_back("Data.XML does not parse");
    } else if (!sameCatalogue(*catalogue, shape.categories)) {
        found.push_back("Data.XML holds another catalogue");
    }
    // A made board carries its own banner page.
    std::set<std::string> expectedNames = {"Data.XML", "Info.plist", "ad.html"};
    for (const auto& [number, frames] : shape.frames) {
        expectedNames.insert(number + ".aiff");
        if (aiffFrames(board / (number + ".aiff")) != frames) {
            found.push_back(number + ".aiff is not a whole AIFF of " + std::to_string(frames) +
                            " frames");
        }
    }
    std::error_code failed;
    for (const auto& entry : fs::directory_iterator(board, failed)) {
        const auto name = entry.path().filename().string();
        if (!expectedNames.contains(name)) found.push_back("stray file in the board: " + name);
    }
    auto info =
        platform::PropertyList::fromBytes(sbfault::readWhole(board / "Info.plist").value_or(""));
    const auto* dictionary = info ? info->get<platform::PlistDictionary>() : nullptr;
    const auto field = [&](const std::string& key) -> std::string {
        if (dictionary == nullptr || !dictionary->contains(key)) return {};
        const auto* text = dictionary->at(key).get<std::string>();
        return text != nullptr ? *text : std::string();
    };
    if (dictionary == nullptr || field("CFBundleName") != board.filename().string()) {
        found.push_back("Info.plist does not read with the board's name");
    } else if (!shape.identifier.empty() ? field("CFBundleIdentifier") != shape.identifier
                                         : field("CFBundleIdentifier").empty()) {
        found.push_back("Info.plist holds another identifier");
    }
    return found;
}

void prepareSource(const fs::path& scope) {
    for (const auto& [label, frames] : kClips) {
        sbtest::writeFile(scope / "source" / (label + ".wav"), waveBytes(frames));
    }
    fs::create_directories(scope / kBoards);
}

void prepareOldBoard(const fs::path& scope) {
    const fs::path board = scope / kBoard;
    fs::create_directories(board);
    sbtest::writeFile(board / "Data.XML", CatalogueWriter::catalogueText(kOldBoard.categories));
    BoardIdentity identity{board.filename().string(), kOldIdentifier};
    sbtest::writeFile(board / "Info.plist", platform::PropertyList::toBytes(
                                                platform::PlistValue(identity.infoDictionary()),
                                                platform::PlistFormat::XML));
    writeAiff(board / "001.aiff", kOldBoard.frames.at("001"));
}

// Runs the helper without the shim; whether it ran to its end.
bool runWithoutFaults(const std::vector<std::string>& arguments) {
    std::vector<std::string> words = arguments;
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (::posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A build that failed may leave its staging folder when it could not remove
// it; what is promised is that the next build for the same destination clears
// it once the process that made it is gone, and that build makes the board.
void expectClearedByNextBuild(const fs::path& scope, Verdict& verdict) {
    const fs::path board = scope / kBoard;
    std::vector<std::string> left;
    for (const auto& path : sbfault::leftoverTemporaries(board)) {
        left.push_back(path.filename().string());
    }
    if (!runWithoutFaults({kHelper, "make-board", (scope / "source").string(), board.string()})) {
        verdict.problems.push_back("the next build did not run");
    }
    for (const auto& path : sbfault::leftoverTemporaries(board)) {
        verdict.problems.push_back("left beside the board after the next build: " +
                                   path.filename().string());
    }
    auto wrong = differences(board, newBoard(""));
    if (!wrong.empty())
        verdict.problems.push_back("the next build made no whole board: " + wrong[0]);
}

// The destination is the old board (when there was one), the new board, or
// absent; the command succeeded exactly when the new board is there; and no
// staging folder is left beside it.
Verdict checkBoard(const fs::path& scope, const std::vector<ProgramRun>& runs, bool replacing) {
    Verdict verdict;
    const fs::path board = scope / kBoard;
    const bool reportedMade = !sbfault::linesStartingWith(runs.at(0), "ok").empty();
    bool isNew = false;
    std::error_code failed;
    if (!fs::exists(board, failed)) {
        if (replacing) {
            verdict.lostData = true;
            verdict.problems.push_back("the old board is gone and no new one is there");
        }
    } else {
        auto fromNew = differences(board, newBoard(replacing ? kOldIdentifier : ""));
        isNew = fromNew.empty();
        auto fromOld = replacing ? differences(board, kOldBoard) : fromNew;
        if (!isNew && (!replacing || !fromOld.empty())) {
            verdict.lostData = replacing;
            verdict.problems.push_back("the board is not whole: " + fromNew.front() +
                                       (replacing ? "; not the old one: " + fromOld.front() : ""));
        }
    }
    if (reportedMade && !isNew) {
        verdict.reportedFalseSuccess = true;
        verdict.problems.push_back("the command succeeded but the new board is not there");
    }
    if (!reportedMade && isNew) {
        verdict.problems.push_back("the command failed but the new board is in place");
    }
    if (!sbfault::leftoverTemporaries(board).empty()) expectClearedByNextBuild(scope, verdict);
    return verdict;
}

Scenario boardMaking(bool replacing) {
    Scenario scenario;
    scenario.name = replacing ? "board made over an old one" : "board made";
    scenario.prepare = [=](const fs::path& scope) {
        prepareSource(scope);
        if (replacing) prepareOldBoard(scope);
    };
    // The clips are read outside it; every call that makes the board is inside.
    scenario.faultScope = kBoards;
    // Nothing in the board writer tells one failing errno from another, except
    // EINTR (retried where it may be) and the short write: these cover its paths
    // at a third of the runs, which each convert the clips again.
    scenario.errors = {"EIO", "EINTR"};
    scenario.programs = [](const fs::path& scope) {
        return std::vector<std::vector<std::string>>{
            {kHelper, "make-board", (scope / "source").string(), (scope / kBoard).string()}};
    };
    scenario.check = [=](const fs::path& scope, const std::vector<ProgramRun>& runs) {
        return checkBoard(scope, runs, replacing);
    };
    return scenario;
}

TEST(FaultInjection, BoardWriter) {
    auto harness = sbfault::makeSuiteHarness();
    for (bool replacing : {false, true}) {
        const Scenario scenario = boardMaking(replacing);
        sbfault::expectEveryOperationSucceedsWithoutFaults(harness, scenario);
        sbfault::expectClean(scenario.name, harness.sweep(scenario));
    }
}

}  // namespace
