// --check-board's reader: a table of broken boards, each with the exact lines
// it must report, and whether the board is still usable.

#include "Classes/Boards/BoardChecker.h"
#include "Classes/Boards/CatalogueCheck.h"
#include "Classes/CommandLine/BoardCommands.h"

#include "TestAudio.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct BrokenBoard {
    const char* name;
    const char* catalogue;  // nullptr: no Data.XML
    std::vector<std::string> goodSounds;
    std::vector<std::string> garbageSounds;
    std::vector<std::string> expected;  // each reported line starts with one of these, in order
    bool usable;
};

void PrintTo(const BrokenBoard& row, std::ostream* out) {
    *out << row.name;
}

fs::path writeBoard(const BrokenBoard& row) {
    const fs::path board = sbtest::tempDir() / "board";
    fs::create_directories(board);
    if (row.catalogue != nullptr) sbtest::writeFile(board / "Data.XML", row.catalogue);
    for (const auto& name : row.goodSounds) {
        testaudio::writeTone(board / (name + ".aiff"),
                             {testaudio::aiffFormat(), 22050, 1, 0.1, 0.3, 440.0});
    }
    for (const auto& name : row.garbageSounds) {
        sbtest::writeFile(board / (name + ".aiff"),
                          "FORM\x00\x00\x00\x04"
                          "AIFF");
    }
    return board;
}

class BrokenBoards : public testing::TestWithParam<BrokenBoard> {};

TEST_P(BrokenBoards, ReportEveryProblemWithFileAndLine) {
    const BrokenBoard& row = GetParam();
    const BoardCheck check = BoardCheck::ofFolder(writeBoard(row));
    std::vector<std::string> lines;
    for (const auto& problem : check.problems) lines.push_back(problem.text());
    ASSERT_EQ(lines.size(), row.expected.size()) << testing::PrintToString(lines);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].rfind(row.expected[i], 0), 0u) << lines[i];
    }
    EXPECT_EQ(check.usable(), row.usable);
}

const char* const kGood =
    "<Sounds>\n<DT title=\"A\">\n<DS audio_no=\"001\" label=\"One\"/>\n</DT>\n</Sounds>\n";

INSTANTIATE_TEST_SUITE_P(
    Table, BrokenBoards,
    testing::Values(
        BrokenBoard{"good", kGood, {"001"}, {}, {}, true},
        BrokenBoard{"no_catalogue",
                    nullptr,
                    {"001"},
                    {},
                    {"Data.XML: error: missing or unreadable"},
                    false},
        BrokenBoard{"not_well_formed",
                    "<Sounds>\n<DT title=\"A\">\n<DS audio_no=\"001\" label=\"One\"/>\n</Sounds>\n",
                    {"001"},
                    {},
                    {"Data.XML:4: error: not well formed: mismatched tag"},
                    false},
        BrokenBoard{"empty_file", "", {}, {}, {"Data.XML:1: error: not well formed"}, false},
        BrokenBoard{"no_category",
                    "<Sounds>\n</Sounds>\n",
                    {},
                    {},
                    {"Data.XML: error: no category"},
                    false},
        BrokenBoard{"category_without_title",
                    "<Sounds>\n<DT>\n<DS audio_no=\"001\" label=\"One\"/>\n</DT>\n</Sounds>\n",
                    {"001"},
                    {},
                    {"Data.XML:2: error: a category without title"},
                    false},
        BrokenBoard{"entry_without_audio_no",
                    "<Sounds>\n<DT title=\"A\">\n<DS label=\"One\"/>\n</DT>\n</Sounds>\n",
                    {},
                    {},
                    {"Data.XML:3: error: a sound entry without audio_no"},
                    false},
        BrokenBoard{"entry_without_label",
                    "<Sounds>\n<DT title=\"A\">\n<DS audio_no=\"001\"/>\n</DT>\n</Sounds>\n",
                    {"001"},
                    {},
                    {"Data.XML:3: error: a sound entry without label"},
                    false},
        BrokenBoard{"missing_sound",
                    kGood,
                    {},
                    {},
                    {"Data.XML:3: error: sound file 001.aiff is missing"},
                    false},
        BrokenBoard{
            "undecodable_sound", kGood, {}, {"001"}, {"001.aiff: error: will not play"}, false},
        BrokenBoard{
            "path_like_numbers",
            "<Sounds>\n<DT title=\"A\">\n<DS audio_no=\"../../etc/passwd\" label=\"x\"/>\n"
            "<DS audio_no=\"..\" label=\"y\"/>\n<DS audio_no=\"\" label=\"z\"/>\n</DT>\n</Sounds>",
            {},
            {},
            {"Data.XML:3: error: audio number \"../../etc/passwd\" is not a plain file name",
             "Data.XML:4: error: audio number \"..\" is not a plain file name",
             "Data.XML:5: error: audio number \"\" is not a plain file name"},
            false},
        BrokenBoard{
            "vibration_key",
            "<Sounds>\n<DT title=\"A\">\n<DS audio_no=\"vibrate\" label=\"x\"/>\n</DT>\n</Sounds>",
            {"vibrate"},
            {},
            {"Data.XML:3: error: audio number \"vibrate\" is the key of the vibration setting",
             "vibrate.aiff: note: no entry names this sound"},
            false},
        BrokenBoard{
            "shared_number_with_two_labels",
            "<Sounds>\n<DT title=\"A\">\n<DS audio_no=\"001\" label=\"One\"/>\n"
            "<DS audio_no=\"001\" label=\"Uno\"/>\n<DS audio_no=\"001\" label=\"One\"/>\n"
            "</DT>\n</Sounds>",
            {"001"},
            {},
            {"Data.XML:4: note: audio number 001 is also used with another label on line 3"},
            true},
        BrokenBoard{"unnamed_sound_files",
                    kGood,
                    {"001", "002", "zzz"},
                    {},
                    {"002.aiff: note: no entry names this sound",
                     "zzz.aiff: note: no entry names this sound"},
                    true},
        BrokenBoard{"text_where_entries_go",
                    "<Sounds>\nstray\n<DT title=\"A\">\n<![CDATA[ignored]]>oops\n"
                    "<DS audio_no=\"001\" label=\"One\"/>\n</DT>\n</Sounds>",
                    {"001"},
                    {},
                    {"Data.XML:2: error: text where a category should be",
                     "Data.XML:4: error: text where a sound entry should be"},
                    false}),
    [](const auto& info) { return std::string(info.param.name); });

// An AIFF header (FORM, COMM, SSND) claiming what it likes, with `dataBytes`
// of silence after it.
std::string aiffHeader(std::uint16_t channels, std::uint32_t frames, std::uint16_t bits,
                       std::uint16_t rateExponent, std::uint64_t dataBytes) {
    const auto be = [](std::string& out, std::uint64_t value, int bytes) {
        for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
            out.push_back(static_cast<char>((value >> shift) & 0xFF));
        }
    };
    std::string file = "FORM";
    be(file, 4 + 26 + 16 + dataBytes, 4);
    file += "AIFFCOMM";
    be(file, 18, 4);
    be(file, channels, 2);
    be(file, frames, 4);
    be(file, bits, 2);
    // 44100 Hz is 0x400E AC44..., a rate of 0 is all zeros.
    be(file, rateExponent, 2);
    be(file, rateExponent == 0 ? 0 : 0xAC44000000000000ULL, 8);
    file += "SSND";
    be(file, 8 + dataBytes, 4);
    be(file, 0, 8);
    return file;
}

TEST(BoardCheck, ReportsExactlyTheSoundsThatWillNotPlay) {
    struct Case {
        const char* name;
        std::string header;
        std::uint64_t dataBytes;  // silence after the header (sparse, so nothing is written)
        const char* expected;     // the line's start; empty: usable
    };
    const std::uint64_t tenMinutes = 600ULL * 44100 * 4;
    const std::uint64_t halfAGigabyte = 500'000'000ULL;
    const std::vector<Case> cases{
        {"ten_minutes", aiffHeader(2, 600 * 44100, 16, 0x400E, tenMinutes), tenMinutes, ""},
        {"five_hundred_megabytes",
         aiffHeader(2, static_cast<std::uint32_t>(halfAGigabyte / 4), 16, 0x400E, halfAGigabyte),
         halfAGigabyte, "001.aiff: error: will not play: it is 2835 seconds long"},
        {"four_billion_frames", aiffHeader(1, 0xFFFFFFFFu, 16, 0x400E, 4000), 4000,
         "001.aiff: error: will not play: it is 97392 seconds long"},
        {"zero_hertz", aiffHeader(2, 44100, 16, 0, 44100 * 4), 44100 * 4,
         "001.aiff: error: will not play: it has a sample rate of 0"},
        {"twenty_four_bits", aiffHeader(2, 44100, 24, 0x400E, 44100 * 6), 44100 * 6,
         "001.aiff: error: will not play: it has 24-bit samples"},
        {"over_the_size_limit", aiffHeader(2, 44100, 16, 0x400E, 600ULL << 20), 600ULL << 20,
         "001.aiff: error: will not play: it is 600"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path board = sbtest::tempDir() / c.name;
        fs::create_directories(board);
        sbtest::writeFile(board / "Data.XML", kGood);
        sbtest::writeFile(board / "001.aiff", c.header);
        fs::resize_file(board / "001.aiff", c.header.size() + c.dataBytes);
        const BoardCheck check = BoardCheck::ofFolder(board);
        if (*c.expected == 0) {
            EXPECT_TRUE(check.usable()) << check.reportText(board);
            continue;
        }
        ASSERT_EQ(check.problems.size(), 1u) << check.reportText(board);
        EXPECT_EQ(check.problems.front().text().rfind(c.expected, 0), 0u)
            << check.problems.front().text();
        EXPECT_FALSE(check.usable());
    }
}

TEST(BoardCheck, AFolderThatIsNotThereIsReportedNotFollowed) {
    const BoardCheck check = BoardCheck::ofFolder(sbtest::tempDir() / "nowhere");
    ASSERT_EQ(check.problems.size(), 1u);
    EXPECT_FALSE(check.usable());
}

TEST(BoardCheck, TheCommandLineExitsZeroOnlyForAUsableBoard) {
    BrokenBoard good{"good", kGood, {"001"}, {}, {}, true};
    const std::string folder = writeBoard(good).string();
    std::vector<std::string> words = {"soundboard", "--check-board", folder};
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    EXPECT_EQ(runBoardCommandLine(static_cast<int>(argv.size()), argv.data()), 0);
    fs::remove(fs::path(folder) / "001.aiff");
    EXPECT_EQ(runBoardCommandLine(static_cast<int>(argv.size()), argv.data()), 1);
    argv.pop_back();  // a usage mistake, not a verdict on a board
    EXPECT_EQ(runBoardCommandLine(static_cast<int>(argv.size()), argv.data()), 2);
}

TEST(CatalogueCheck, TheBundledCatalogueHasNoProblem) {
    const auto check =
        CatalogueCheck::ofText(sbtest::readFile(sbtest::sourceBundle() / "Data.XML"));
    EXPECT_TRUE(check.problems.empty()) << check.problems.front().text();
    EXPECT_GT(check.entries.size(), 8u);
}

}  // namespace
