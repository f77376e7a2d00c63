// --make-board on folders that hold a user's only copies: whatever the source
// and the destination are, nothing of the user's is deleted. Through the real
// program and real files.

#include "HostileRun.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <functional>

namespace fs = std::filesystem;

namespace {

fs::path work() {
    const fs::path folder = sbtest::tempDir() / "work";
    fs::create_directories(folder);
    return folder;
}

// A folder of clips beside a user's notes and pictures.
fs::path userFolder(const fs::path& folder) {
    hostile::writeClip(folder / "a.wav");
    sbtest::writeFile(folder / "notes.txt", "n\n");
    sbtest::writeFile(folder / "P" / "p.jpg", "j\n");
    return folder;
}

// A board the program made, at `board`.
void madeBoard(const fs::path& board) {
    const fs::path clips = work() / "clips";
    hostile::writeClip(clips / "made.wav");
    ASSERT_EQ(hostile::run({"--make-board", clips.string(), board.string()}).status, 0);
    fs::remove_all(clips);
}

struct Refusal {
    const char* name;
    // Prepares the work folder; the source and the board to give.
    std::function<std::pair<fs::path, fs::path>(const fs::path& work)> prepare;
    const char* error;
};

void PrintTo(const Refusal& row, std::ostream* out) {
    *out << row.name;
}

class MakeBoardRefusals : public testing::TestWithParam<Refusal> {};

TEST_P(MakeBoardRefusals, ExitOneWithTheReasonAndLeaveEveryFileAsItWas) {
    const auto [source, board] = GetParam().prepare(work());
    const hostile::Snapshot before = hostile::snapshot(work());
    const auto outcome = hostile::run({"--make-board", source.string(), board.string()});
    EXPECT_EQ(outcome.status, 1) << outcome.output;
    EXPECT_NE(outcome.output.find(GetParam().error), std::string::npos) << outcome.output;
    EXPECT_EQ(hostile::snapshot(work()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MakeBoardRefusals,
    testing::Values(Refusal{"a_folder_with_a_stray_catalogue_as_its_own_board",
                            [](const fs::path& w) {
                                const fs::path s = userFolder(w / "s");
                                sbtest::writeFile(s / "Data.XML", "<x/>\n");
                                return std::pair{s, s};
                            },
                            "in its own source folder"},
                    Refusal{"a_stray_catalogue_elsewhere",
                            [](const fs::path& w) {
                                const fs::path d = userFolder(w / "d");
                                sbtest::writeFile(d / "Data.XML", "<x/>\n");
                                hostile::writeClip(w / "s" / "b.wav");
                                return std::pair{w / "s", d};
                            },
                            "nor a board made by --make-board"},
                    Refusal{"new_clips_inside_the_board",
                            [](const fs::path& w) {
                                madeBoard(w / "B");
                                hostile::writeClip(w / "B" / "NewClips" / "only copy.wav");
                                return std::pair{w / "B" / "NewClips", w / "B"};
                            },
                            "would hold its own source folder"},
                    Refusal{"the_board_inside_its_source",
                            [](const fs::path& w) {
                                return std::pair{userFolder(w / "s"), w / "s" / "Board"};
                            },
                            "would lie inside its source folder"},
                    Refusal{"a_link_to_the_source_as_the_board",
                            [](const fs::path& w) {
                                const fs::path s = userFolder(w / "s");
                                fs::create_directory_symlink(s, w / "link");
                                return std::pair{s, w / "link"};
                            },
                            "in its own source folder"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MakeBoard, ABoardMadeAgainKeepsWhatTheUserAddedToIt) {
    const fs::path board = work() / "B";
    madeBoard(board);
    sbtest::writeFile(board / "ad.html", "<p>mine</p>\n");
    sbtest::writeFile(board / "Pictures" / "love.png", "pixels\n");
    fs::create_symlink("ad.html", board / "banner link");
    const fs::path clips = userFolder(work() / "again");

    const auto outcome = hostile::run({"--make-board", clips.string(), board.string()});
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    const hostile::Snapshot after = hostile::snapshot(board);
    EXPECT_EQ(after.at("ad.html"), "<p>mine</p>\n");
    EXPECT_EQ(after.at("Pictures/love.png"), "pixels\n");
    EXPECT_EQ(after.at("banner link"), "-> ad.html");
    EXPECT_TRUE(after.contains("001.aiff"));
    EXPECT_FALSE(after.contains("002.aiff"));
    EXPECT_NE(after.at("Data.XML").find("label=\"a\""), std::string::npos);
    for (const auto& entry : fs::directory_iterator(work())) {
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    }
}

}  // namespace
