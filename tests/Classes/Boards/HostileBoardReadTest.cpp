// Boards from anyone, read by the real program: --check-board, --screenshot
// and the window's first frame end in bounded time and memory, read nothing
// outside the board, and say in one line what they refused.

#include "HostileBoards.h"
#include "HostileRun.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace fs = std::filesystem;

namespace {

// Peak memory no reader may pass, even with the sanitizers' own overhead.
constexpr long kMemoryBoundKiB = 600 * 1024;

fs::path board() {
    return sbtest::tempDir() / "board";
}

// A usable board of one sound.
void makeBoard() {
    hostile::writeUsableBoard(board(), sbtest::sourceBundle() / "001.aiff");
}

// A byte or character that a terminal would act on rather than show.
bool hasTerminalControls(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte < 0x20 && byte != '\n' && byte != '\t') || byte == 0x7f) return true;
        if (byte == 0xC2 && i + 1 < text.size() &&
            static_cast<unsigned char>(text[i + 1]) <= 0x9F &&
            static_cast<unsigned char>(text[i + 1]) >= 0x80) {
            return true;
        }
    }
    return false;
}

struct HostileBoard {
    const char* change;  // one of hostile::hostileChanges()
    std::vector<std::string> arguments;
    int status;
    const char* line;  // a line of the output that must be there
};

void PrintTo(const HostileBoard& row, std::ostream* out) {
    *out << row.change;
}

class HostileBoards : public testing::TestWithParam<HostileBoard> {};

TEST_P(HostileBoards, EndInBoundedTimeAndMemoryAndSayWhatTheyRefused) {
    makeBoard();
    ASSERT_TRUE(hostile::makeHostile(board(), GetParam().change));
    std::vector<std::string> arguments;
    for (const auto& word : GetParam().arguments) {
        arguments.push_back(word == "BOARD"   ? board().string()
                            : word == "SHOTS" ? (sbtest::tempDir() / "shots").string()
                                              : word);
    }
    const auto outcome = hostile::run(arguments);
    EXPECT_EQ(outcome.status, GetParam().status) << outcome.output;
    EXPECT_NE(outcome.output.find(GetParam().line), std::string::npos) << outcome.output;
    EXPECT_LT(outcome.peakMemoryKiB, kMemoryBoundKiB) << outcome.output;
    EXPECT_FALSE(hasTerminalControls(outcome.output)) << outcome.output;
    // Drawing pictures of a board changes none of the user's settings.
    if (arguments.front() == "--screenshot") {
        EXPECT_FALSE(fs::exists(sbtest::tempDir() / "home/.config/org.soundboard.Soundboard"));
    }
}

const std::vector<std::string> kCheck = {"--check-board", "BOARD"};
const std::vector<std::string> kShots = {"--screenshot", "SHOTS", "--bundle", "BOARD"};

INSTANTIATE_TEST_SUITE_P(
    CheckBoard, HostileBoards,
    testing::Values(HostileBoard{"catalogue_is_a_fifo", kCheck, 1,
                                 "Data.XML: error: not a regular file"},
                    HostileBoard{"sparse_catalogue", kCheck, 1,
                                 "Data.XML: error: 64 MiB, over the 2 MiB a catalogue may hold"},
                    HostileBoard{"sound_links_outside_the_board", kCheck, 1,
                                 "sound file 001.aiff is not a regular file inside the board"},
                    HostileBoard{"terminal_controls_in_an_audio_number", kCheck, 1,
                                 "sound file \\u009b31mFAKE\\u009d0;PWNED.aiff is missing"}),
    [](const auto& info) { return std::string(info.param.change); });

INSTANTIATE_TEST_SUITE_P(
    Screenshots, HostileBoards,
    testing::Values(
        HostileBoard{"banner_picture_is_a_fifo", kShots, 0, "pipe.png is not a regular file"},
        HostileBoard{"banner_picture_outside_the_board", kShots, 0,
                     "picture /dev/zero lies outside the page's folders"},
        HostileBoard{"banner_of_nested_divs", kShots, 0, "is nested deeper than 24 elements"},
        HostileBoard{"banner_of_nested_tables", kShots, 0, "is nested deeper than 24 elements"},
        HostileBoard{"banner_too_large", kShots, 0, "over the 256 KiB a page may have"},
        HostileBoard{"banner_picture_of_many_pixels", kShots, 0, "8000 x 8000 pixels"},
        HostileBoard{"bar_pictures_of_many_pixels", kShots, 0, "love.png is 8000 x 8000 pixels"},
        HostileBoard{"sparse_info_plist", kShots, 0,
                     "Info.plist is 64 MiB, over the 1 MiB that is read"},
        // Without a catalogue the walk has no play page to draw: it says so and fails.
        HostileBoard{"sparse_catalogue", kShots, 1,
                     "Data.XML is 64 MiB, over the 2 MiB a catalogue may hold"},
        HostileBoard{"a_label_of_1500_KB", kShots, 0, "Application Will Terminate"}),
    [](const auto& info) { return std::string(info.param.change); });

// The desktop preferences as a start that hung (or crashed) while it opened
// `opening` left them, with `last` remembered as the board opened last.
void leftByAnEarlierStart(const fs::path& last, const std::optional<fs::path>& opening) {
    std::string entries = "<key>LastOpenedBoard</key><string>" + last.string() + "</string>";
    if (opening) entries += "<key>OpeningBoard</key><string>" + opening->string() + "</string>";
    sbtest::writeFile(sbtest::tempDir() /
                          "home/.config/org.soundboard.Soundboard/"
                          "org.soundboard.Soundboard.desktop.plist",
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>" +
                          entries + "</dict></plist>");
}

std::string desktopPreferences() {
    return sbtest::readFile(sbtest::tempDir() /
                            "home/.config/org.soundboard.Soundboard/"
                            "org.soundboard.Soundboard.desktop.plist");
}

TEST(HostileBoardStart, ABoardThatDidNotFinishOpeningIsNotOpenedAgainByItself) {
    makeBoard();
    leftByAnEarlierStart(board(), board());
    // No bundle named: the one the program would choose by itself.
    const auto outcome = hostile::run({"--quit-after-first-frame"}, {"SOUNDBOARD_BUNDLE"});
    EXPECT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_NE(outcome.output.find("did not finish opening the last time"), std::string::npos)
        << outcome.output;
    EXPECT_EQ(desktopPreferences().find(board().string()), std::string::npos);
}

TEST(HostileBoardStart, ABoardThatOpenedIsOpenedAgainAndNoLongerNotedAsOpening) {
    makeBoard();
    leftByAnEarlierStart(board(), std::nullopt);
    const auto outcome = hostile::run({"--quit-after-first-frame"}, {"SOUNDBOARD_BUNDLE"});
    EXPECT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_EQ(outcome.output.find("did not finish opening"), std::string::npos) << outcome.output;
    const std::string kept = desktopPreferences();
    EXPECT_NE(kept.find("<key>LastOpenedBoard</key>"), std::string::npos) << kept;
    EXPECT_EQ(kept.find("<key>OpeningBoard</key>"), std::string::npos) << kept;
}

}  // namespace
