// Growing a board: numbering after every number in use, dropped folders in
// natural order, skipped files with reasons, and the refusals and the
// cancellation that leave the board exactly as it was.

#include "Classes/Boards/BoardGrower.h"
#include "Classes/Boards/BoardMaker.h"
#include "Classes/Boards/CatalogueCheck.h"

#include "TestAudio.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <map>

namespace fs = std::filesystem;

namespace {

fs::path work() {
    const fs::path folder = sbtest::tempDir() / "grow";
    fs::create_directories(folder);
    return folder;
}

void tone(const fs::path& path, double amplitude = 0.3) {
    fs::create_directories(path.parent_path());
    testaudio::writeTone(path, {testaudio::wavFormat(), 44100, 1, 0.4, amplitude, 440.0});
}

// A board of three sounds (001 to 003) in one category "Start".
fs::path boardOfThree() {
    const fs::path source = work() / "Start";
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) tone(source / name);
    const fs::path board = work() / "Board";
    media::CancellationFlag notCancelled;
    EXPECT_TRUE(BoardMaker().make(source, board, notCancelled).outcome.done());
    return board;
}

// Every file of a folder with its contents: "the board as it was".
std::map<std::string, std::string> snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), folder).string()] = sbtest::readFile(entry.path());
        }
    }
    return files;
}

std::vector<std::pair<std::string, std::string>> entries(const fs::path& board) {
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& entry : CatalogueCheck::ofText(sbtest::readFile(board / "Data.XML")).entries) {
        found.emplace_back(entry.audioNumber, entry.label);
    }
    return found;
}

BoardGrowerReport grow(const fs::path& board, const std::vector<fs::path>& additions) {
    media::CancellationFlag notCancelled;
    return BoardGrower().grow(board, additions, 0, notCancelled);
}

TEST(BoardGrower, AddsFilesAndFoldersAfterEveryNumberInUseWithoutTouchingOtherFiles) {
    const fs::path board = boardOfThree();
    // A sound file no entry names still holds its number.
    sbtest::writeFile(board / "004.aiff", "someone else's");
    const fs::path more = work() / "More";
    tone(more / "10 Ten.wav");
    tone(more / "2 Two.wav");
    tone(more / "deeper" / "Deep.wav");
    sbtest::writeFile(more / "notes.txt", "not a sound");
    tone(work() / "Loose & <odd>.wav");

    const auto report = grow(board, {work() / "Loose & <odd>.wav", more});

    ASSERT_TRUE(report.outcome.done()) << report.outcome.error;
    EXPECT_EQ(report.soundCount, 4u);
    EXPECT_EQ(report.categoryTitle, "Start");
    ASSERT_EQ(report.skipped.size(), 1u);
    EXPECT_NE(report.skipped[0].find("notes.txt"), std::string::npos);
    const std::vector<std::pair<std::string, std::string>> expected{
        {"001", "a"},     {"002", "b"},      {"003", "c"},   {"005", "Loose & <odd>"},
        {"006", "2 Two"}, {"007", "10 Ten"}, {"008", "Deep"}};
    EXPECT_EQ(entries(board), expected);
    EXPECT_EQ(sbtest::readFile(board / "004.aiff"), "someone else's");
    EXPECT_NE(sbtest::readFile(board / "ad.html").find("7 sounds in 1 category"), std::string::npos)
        << "the maker's banner follows the catalogue";
    for (const char* number : {"005", "006", "007", "008"}) {
        const auto sound = testaudio::readAll(board / (std::string(number) + ".aiff"));
        EXPECT_EQ(sound.format, testaudio::aiffFormat()) << number;
    }
    // Nothing hidden is left behind.
    for (const auto& entry : fs::directory_iterator(board)) {
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    }
}

TEST(BoardGrower, LevelsAddedSoundsLikeTheBoardMaker) {
    const fs::path board = boardOfThree();
    tone(work() / "quiet.wav", 0.01);
    tone(work() / "loud.wav", 0.9);
    ASSERT_TRUE(grow(board, {work() / "quiet.wav", work() / "loud.wav"}).outcome.done());
    const double quiet = testaudio::integratedLoudness(testaudio::readAll(board / "004.aiff"));
    const double loud = testaudio::integratedLoudness(testaudio::readAll(board / "005.aiff"));
    EXPECT_NEAR(quiet, loud, 1.0);
}

TEST(BoardGrower, LeavesTheFolderAsItWasWhenItCannotOrMayNotGrowIt) {
    const fs::path application = work() / "Application";
    fs::copy(SB_BOARDS_SOURCE_BUNDLE, application, fs::copy_options::recursive);
    const fs::path broken = boardOfThree();
    sbtest::writeFile(broken / "Data.XML", "<Sounds><DT title='x'>");
    const fs::path plain = work() / "Plain";
    sbtest::writeFile(plain / "readme.txt", "hello");
    const fs::path readable = work() / "Readable Board";
    fs::create_directories(readable);
    fs::copy(broken, readable, fs::copy_options::recursive);
    sbtest::writeFile(readable / "Data.XML", "<Sounds><DT title='x'></DT></Sounds>");
    tone(work() / "new.wav");
    sbtest::writeFile(work() / "empty.wav", "");

    struct Case {
        const char* what;
        fs::path folder;
        std::vector<fs::path> additions;
    };
    const Case cases[] = {
        {"the application's own bundle", application, {work() / "new.wav"}},
        {"a catalogue that does not read", broken, {work() / "new.wav"}},
        {"a folder that is no board", plain, {work() / "new.wav"}},
        {"no file that reads as audio", readable, {work() / "empty.wav"}},
        {"nothing to add", readable, {work() / "missing.wav"}},
    };
    for (const Case& c : cases) {
        const auto before = snapshot(c.folder);
        const auto report = grow(c.folder, c.additions);
        EXPECT_FALSE(report.outcome.done()) << c.what;
        EXPECT_FALSE(report.outcome.error.empty()) << c.what;
        EXPECT_EQ(snapshot(c.folder), before) << c.what;
    }
}

TEST(BoardGrower, ACancelledGrowthLeavesTheBoardAsItWas) {
    const fs::path board = boardOfThree();
    for (int i = 0; i < 6; ++i) tone(work() / "many" / (std::to_string(i) + ".wav"));
    const auto before = snapshot(board);
    media::CancellationFlag cancellation;
    const auto report =
        BoardGrower().grow(board, {work() / "many"}, 0, cancellation,
                           [&](std::size_t, std::size_t) { cancellation.requestCancel(); });
    EXPECT_TRUE(report.outcome.cancelled());
    EXPECT_FALSE(report.outcome.done());
    EXPECT_EQ(snapshot(board), before);
}

}  // namespace
