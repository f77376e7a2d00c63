// Making a board from a folder tree: categories, labels, order, numbers and
// files; the errors that leave nothing behind; replacing a board; cancelling;
// and a process killed in the middle.

#include "Classes/Boards/BoardMaker.h"

#include "Platform/Foundation/PropertyList.h"
#include "TestAudio.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

namespace fs = std::filesystem;

namespace {

// A folder of its own inside the test's private folder, which also holds HOME.
fs::path workDir() {
    const fs::path folder = sbtest::tempDir() / "work";
    fs::create_directories(folder);
    return folder;
}

void tone(const fs::path& path, int format, double amplitude = 0.3, double seconds = 0.5) {
    fs::create_directories(path.parent_path());
    testaudio::writeTone(path, {format, 44100, 2, seconds, amplitude, 440.0});
}

int mp3OrWav() {
    return testaudio::canWrite(testaudio::mp3Format(), 44100, 2) ? testaudio::mp3Format()
                                                                 : testaudio::wavFormat();
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(folder, missing)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

BoardMakerReport make(const fs::path& source, const fs::path& destination) {
    media::CancellationFlag notCancelled;
    return BoardMaker().make(source, destination, notCancelled);
}

// The tree of the whole story: top-level files, sub-folders (one nested), Unicode
// and markup in names, a broken file, a text file, a hidden file, an empty
// folder and a folder whose only file is broken.
fs::path awkwardSourceTree() {
    const fs::path source = workDir() / "My Sounds";
    tone(source / "10 Bell.flac", testaudio::flacFormat(), 0.004);
    tone(source / "2 Bell.wav", testaudio::wavFormat(), 0.95);
    tone(source / "Salt & Pepper <3 \"Hi\".ogg", testaudio::vorbisFormat());
    sbtest::writeFile(source / "broken.wav", std::string("RIFF\x10\x00\x00\x00WAVEjunkjunk", 20));
    sbtest::writeFile(source / "notes.txt", "remember the milk\n");
    tone(source / ".hidden.wav", testaudio::wavFormat());
    tone(source / "Ünïcödé Animals" / "10 Dog.wav", testaudio::wavFormat());
    tone(source / "Ünïcödé Animals" / "9 Dog.aiff", testaudio::aiffFormat());
    tone(source / "Ünïcödé Animals" / "Cat 😺.mp3", mp3OrWav());
    tone(source / "Ünïcödé Animals" / "sub" / "Deep.wav", testaudio::wavFormat());
    tone(source / "2 Misc" / "x.wav", testaudio::wavFormat());
    fs::create_directories(source / "Empty");
    sbtest::writeFile(source / "Only Broken" / "bad.wav", "");
    return source;
}

TEST(BoardMaker, AFolderTreeBecomesABoardWithTheRightCatalogueLabelsOrderAndFiles) {
    const fs::path source = awkwardSourceTree();
    const fs::path board = workDir() / "Party Board";
    const auto report = make(source, board);
    ASSERT_TRUE(report.outcome.done()) << report.outcome.error;
    EXPECT_EQ(report.soundCount, 8u);
    EXPECT_EQ(report.categoryCount, 3u);

    EXPECT_EQ(sbtest::readFile(board / "Data.XML"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<Sounds>\n"
              "    <DT title=\"My Sounds\">\n"
              "        <DS audio_no=\"001\" label=\"2 Bell\" />\n"
              "        <DS audio_no=\"002\" label=\"10 Bell\" />\n"
              "        <DS audio_no=\"003\" label=\"Salt &amp; Pepper &lt;3 &quot;Hi&quot;\" />\n"
              "    </DT>\n"
              "    <DT title=\"2 Misc\">\n"
              "        <DS audio_no=\"004\" label=\"x\" />\n"
              "    </DT>\n"
              "    <DT title=\"Ünïcödé Animals\">\n"
              "        <DS audio_no=\"005\" label=\"9 Dog\" />\n"
              "        <DS audio_no=\"006\" label=\"10 Dog\" />\n"
              "        <DS audio_no=\"007\" label=\"Cat 😺\" />\n"
              "        <DS audio_no=\"008\" label=\"Deep\" />\n"
              "    </DT>\n"
              "</Sounds>\n");
    EXPECT_EQ(namesIn(board), (std::vector<std::string>{
                                  "001.aiff", "002.aiff", "003.aiff", "004.aiff", "005.aiff",
                                  "006.aiff", "007.aiff", "008.aiff", "Data.XML", "Info.plist"}));
    for (int i = 1; i <= 8; ++i) {
        const auto sound = testaudio::readAll(board / ("00" + std::to_string(i) + ".aiff"));
        EXPECT_EQ(sound.rate, 44100);
        EXPECT_NEAR(static_cast<double>(sound.frames()) / sound.rate, 0.5, 0.1);
    }

    ASSERT_EQ(report.skipped.size(), 3u);
    const auto mentions = [&](const std::string& file, const std::string& reason) {
        return std::any_of(report.skipped.begin(), report.skipped.end(), [&](const auto& line) {
            return line.find(file) != std::string::npos && line.find(reason) != std::string::npos;
        });
    };
    EXPECT_TRUE(mentions("broken.wav", "not a readable audio file"));
    EXPECT_TRUE(mentions("notes.txt", "not a readable audio file"));
    EXPECT_TRUE(mentions("bad.wav", "empty file"));

    const auto info = platform::PropertyList::readDictionaryFile(board / "Info.plist");
    ASSERT_TRUE(info);
    EXPECT_EQ(*info->at("CFBundleName").get<std::string>(), "Party Board");
    EXPECT_EQ(info->at("CFBundleIdentifier").get<std::string>()->rfind("org.soundboard.board.", 0),
              0u);
    // Nothing of the build is left beside the board.
    for (const auto& name : namesIn(workDir())) EXPECT_NE(name.front(), '.') << name;
}

// A board kept among the sources, wherever it lies, is not made into a category
// of the next board; the folders around it still are.
TEST(BoardMaker, ABoardInsideTheSourceFolderIsSkippedAndSaidSo) {
    const char* const placements[] = {"Kept Board", "Deeper/Kept Board"};
    for (const char* placement : placements) {
        SCOPED_TRACE(placement);
        const fs::path source = workDir() / "Source";
        fs::remove_all(source);
        tone(source / "Bell.wav", testaudio::wavFormat());
        tone(source / "Deeper" / "Dog.wav", testaudio::wavFormat());
        const fs::path first = workDir() / "First";
        ASSERT_TRUE(make(source, first).outcome.done());
        fs::rename(first, source / placement);

        const fs::path second = workDir() / "Second";
        const auto report = make(source, second);
        ASSERT_TRUE(report.outcome.done()) << report.outcome.error;
        EXPECT_EQ(report.soundCount, 2u);
        const std::string catalogue = sbtest::readFile(second / "Data.XML");
        EXPECT_EQ(catalogue.find("Kept Board"), std::string::npos) << catalogue;
        EXPECT_EQ(catalogue.find("label=\"001\""), std::string::npos) << catalogue;
        EXPECT_TRUE(
            std::any_of(report.skipped.begin(), report.skipped.end(), [&](const auto& line) {
                return line.find(placement) != std::string::npos &&
                       line.find("a board (it holds Data.XML") != std::string::npos;
            }));
        fs::remove_all(second);
    }
}

TEST(BoardMaker, TwoClipsOfVeryDifferentLoudnessBothEndWithinOneLuOfTheTarget) {
    const fs::path source = workDir() / "levels";
    tone(source / "a whisper.flac", testaudio::flacFormat(), 0.002, 3.0);
    tone(source / "b shout.wav", testaudio::wavFormat(), 0.99, 3.0);
    const fs::path board = workDir() / "levelled";
    ASSERT_TRUE(make(source, board).outcome.done());
    for (const char* file : {"001.aiff", "002.aiff"}) {
        EXPECT_NEAR(testaudio::integratedLoudness(testaudio::readAll(board / file)), -16.0, 1.0)
            << file;
    }
}

TEST(BoardMaker, AudioNumbersShareOneWidthOfAtLeastThreeDigits) {
    EXPECT_EQ(BoardMaker::audioNumber(0, 1), "001");
    EXPECT_EQ(BoardMaker::audioNumber(998, 999), "999");
    EXPECT_EQ(BoardMaker::audioNumber(0, 1000), "0001");
    EXPECT_EQ(BoardMaker::audioNumber(12344, 12345), "12345");
}

struct RefusalCase {
    const char* name;
    std::function<void(const fs::path& source, const fs::path& board)> prepare;
    const char* error;
};

void PrintTo(const RefusalCase& row, std::ostream* out) {
    *out << row.name;
}

class BoardRefusals : public testing::TestWithParam<RefusalCase> {};

TEST_P(BoardRefusals, GiveAClearErrorAndWriteNothing) {
    const fs::path source = workDir() / "source";
    const fs::path board = workDir() / "place" / "Board";
    fs::create_directories(board.parent_path());
    GetParam().prepare(source, board);
    const auto before = namesIn(board.parent_path());
    const std::string boardBefore =
        fs::is_regular_file(board) ? sbtest::readFile(board) : std::string();

    const auto report = make(source, board);
    EXPECT_FALSE(report.outcome.done());
    EXPECT_NE(report.outcome.error.find(GetParam().error), std::string::npos)
        << report.outcome.error;
    EXPECT_EQ(namesIn(board.parent_path()), before);
    if (fs::is_regular_file(board)) {
        EXPECT_EQ(sbtest::readFile(board), boardBefore);
    }
    if (fs::is_directory(board)) {
        EXPECT_FALSE(fs::exists(board / "Data.XML"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BoardRefusals,
    testing::Values(
        RefusalCase{"missing_source", [](const fs::path&, const fs::path&) {}, "not found"},
        RefusalCase{"source_is_a_file",
                    [](const fs::path& source, const fs::path&) { sbtest::writeFile(source, "x"); },
                    "is not a folder"},
        RefusalCase{"empty_source",
                    [](const fs::path& source, const fs::path&) {
                        fs::create_directories(source / "nothing here");
                        tone(source / ".hidden.wav", testaudio::wavFormat());
                    },
                    "no files"},
        RefusalCase{"nothing_is_audio",
                    [](const fs::path& source, const fs::path&) {
                        sbtest::writeFile(source / "a.txt", "a");
                        sbtest::writeFile(source / "b.wav", "");
                    },
                    "none of the files"},
        RefusalCase{"destination_is_a_file",
                    [](const fs::path& source, const fs::path& board) {
                        tone(source / "a.wav", testaudio::wavFormat());
                        sbtest::writeFile(board, "mine");
                    },
                    "is not a folder"},
        RefusalCase{"destination_holds_other_things",
                    [](const fs::path& source, const fs::path& board) {
                        tone(source / "a.wav", testaudio::wavFormat());
                        sbtest::writeFile(board / "thesis.odt", "years of work");
                    },
                    "neither an empty folder nor a board"},
        RefusalCase{"destination_folder_missing",
                    [](const fs::path& source, const fs::path& board) {
                        tone(source / "a.wav", testaudio::wavFormat());
                        fs::remove(board.parent_path());
                    },
                    "does not exist"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BoardMaker, AnEmptyFolderOrAnOldBoardIsReplacedAndTheBoardKeepsItsIdentifier) {
    const fs::path first = workDir() / "first";
    const fs::path second = workDir() / "second";
    tone(first / "a.wav", testaudio::wavFormat());
    tone(first / "b.wav", testaudio::wavFormat());
    tone(second / "only.wav", testaudio::wavFormat());
    const fs::path board = workDir() / "Board";
    fs::create_directories(board);

    ASSERT_TRUE(make(first, board).outcome.done());
    const auto identifier =
        platform::PropertyList::readDictionaryFile(board / "Info.plist")->at("CFBundleIdentifier");
    ASSERT_TRUE(make(second, board).outcome.done());
    EXPECT_EQ(namesIn(board), (std::vector<std::string>{"001.aiff", "Data.XML", "Info.plist"}));
    EXPECT_NE(sbtest::readFile(board / "Data.XML").find("label=\"only\""), std::string::npos);
    EXPECT_EQ(
        platform::PropertyList::readDictionaryFile(board / "Info.plist")->at("CFBundleIdentifier"),
        identifier);
    for (const auto& name : namesIn(workDir())) EXPECT_NE(name.front(), '.') << name;
}

TEST(BoardMaker, CancellingLeavesNothingBehind) {
    const fs::path source = workDir() / "source";
    for (int i = 0; i < 6; ++i) tone(source / (std::to_string(i) + ".wav"), testaudio::wavFormat());
    const fs::path board = workDir() / "Board";
    media::CancellationFlag cancellation;
    const auto report = BoardMaker({{}, 1, std::size_t{1} << 20})
                            .make(source, board, cancellation,
                                  [&](std::size_t, std::size_t) { cancellation.requestCancel(); });
    EXPECT_FALSE(report.outcome.done());
    EXPECT_TRUE(report.outcome.cancelled());
    EXPECT_EQ(namesIn(workDir()), (std::vector<std::string>{"source"}));
}

TEST(BoardMaker, AKilledImportLeavesNoHalfBoardAndTheNextOneClearsItsRemains) {
    const fs::path source = workDir() / "source";
    for (int i = 0; i < 6; ++i) tone(source / (std::to_string(i) + ".wav"), testaudio::wavFormat());
    const fs::path board = workDir() / "Board";
    int started[2];
    int never[2];
    ASSERT_EQ(::pipe(started), 0);
    ASSERT_EQ(::pipe(never), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Tells the parent once the first sound is written, then waits to be killed.
        media::CancellationFlag notCancelled;
        BoardMaker({{}, 1, std::size_t{1} << 20})
            .make(source, board, notCancelled, [&](std::size_t, std::size_t) {
                char byte = 'x';
                [[maybe_unused]] auto written = ::write(started[1], &byte, 1);
                [[maybe_unused]] auto read = ::read(never[0], &byte, 1);
            });
        ::_exit(0);
    }
    ::close(started[1]);
    ::close(never[0]);
    char byte = 0;
    ASSERT_EQ(::read(started[0], &byte, 1), 1);
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    ::close(started[0]);
    ::close(never[1]);

    EXPECT_FALSE(fs::exists(board));
    const auto remains = namesIn(workDir());
    EXPECT_EQ(std::count_if(remains.begin(), remains.end(),
                            [](const auto& name) { return name.rfind(".Board.making-", 0) == 0; }),
              1);

    ASSERT_TRUE(make(source, board).outcome.done());
    EXPECT_EQ(namesIn(workDir()), (std::vector<std::string>{"Board", "source"}));
    EXPECT_EQ(namesIn(board).size(), 8u);
}

}  // namespace
