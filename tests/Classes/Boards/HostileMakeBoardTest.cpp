// --make-board on folders that hold a user's only copies: whatever the source
// and the destination are, nothing of the user's is deleted. Through the real
// program and real files.

#include "HostileRun.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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

struct Oddity {
    const char* name;
    // Puts one odd entry into the source beside a good clip; the name to
    // give the board folder, when not "Board".
    std::function<std::string(const fs::path& source)> prepare;
    const char* line;  // the line that reports it, or that must not be there
    std::size_t sounds;
    std::size_t skipped;
};

void PrintTo(const Oddity& row, std::ostream* out) {
    *out << row.name;
}

class MakeBoardOddities : public testing::TestWithParam<Oddity> {};

TEST_P(MakeBoardOddities, AreSkippedWithOneLineSayingWhyOrTaken) {
    const fs::path source = work() / "source";
    hostile::writeClip(source / "good.wav");
    const std::string boardName = GetParam().prepare(source);
    const fs::path board = work() / (boardName.empty() ? std::string("Board") : boardName);
    const auto outcome = hostile::run({"--make-board", source.string(), board.string()});
    ASSERT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_NE(outcome.output.find(GetParam().line), std::string::npos) << outcome.output;
    const std::string made = "Made the board " + board.string() + ": " +
                             std::to_string(GetParam().sounds) + " sounds in 1 categories, " +
                             std::to_string(GetParam().skipped) + " skipped.";
    EXPECT_NE(outcome.output.find(made), std::string::npos) << outcome.output;
    EXPECT_EQ(outcome.output.find('\x1b'), std::string::npos)
        << "a raw escape reached the terminal";
    EXPECT_LT(outcome.seconds, 60.0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MakeBoardOddities,
    testing::Values(
        Oddity{"a_link_to_the_root_folder",
               [](const fs::path& s) {
                   fs::create_directory_symlink("/", s / "everything");
                   return std::string();
               },
               "everything: skipped: a link to a folder, which is not followed", 1, 1},
        Oddity{"a_link_to_a_clip_elsewhere",
               [](const fs::path& s) {
                   hostile::writeClip(work() / "elsewhere" / "clip.wav");
                   fs::create_symlink(work() / "elsewhere" / "clip.wav", s / "linked.wav");
                   return std::string();
               },
               "Made the board", 2, 0},
        Oddity{"a_link_to_a_device",
               [](const fs::path& s) {
                   fs::create_symlink("/dev/zero", s / "zero.wav");
                   return std::string();
               },
               "zero.wav: skipped: a link to something that is not a regular file", 1, 1},
        Oddity{"a_fifo",
               [](const fs::path& s) {
                   ::mkfifo((s / "pipe.wav").c_str(), 0644);
                   return std::string();
               },
               "pipe.wav: skipped: a FIFO, not a regular file", 1, 1},
        Oddity{"a_socket",
               [](const fs::path& s) {
                   const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
                   sockaddr_un address{};
                   address.sun_family = AF_UNIX;
                   const std::string path = (s / "s.wav").string();
                   path.copy(address.sun_path, sizeof address.sun_path - 1);
                   ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
                   ::close(fd);
                   return std::string();
               },
               "s.wav: skipped: a socket, not a regular file", 1, 1},
        Oddity{"terminal_escapes_in_a_name",
               [](const fs::path& s) {
                   sbtest::writeFile(s / "\x1b]0;PWNED\a\x1b[31mFAKE.txt", "not audio\n");
                   return std::string();
               },
               "\\e]0;PWNED\\a\\e[31mFAKE.txt: skipped", 1, 1},
        Oddity{"a_name_xml_cannot_hold",
               [](const fs::path& s) {
                   hostile::writeClip(s / "odd \xEF\xBF\xBE.wav");
                   return std::string();
               },
               ".wav: skipped: its name cannot be stored", 1, 1},
        Oddity{"a_board_name_of_250_bytes", [](const fs::path&) { return std::string(250, 'b'); },
               "Made the board", 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
