// Opening a board: lookups in the board first, then in the application bundle,
// never outside either; a settings store per board; the board opened last.

#include "Classes/CommandLine/BoardCommands.h"
#include "Classes/Desktop/LastOpenedBoard.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/PropertyList.h"
#include "Platform/Foundation/UserDefaults.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <functional>
#include <optional>

namespace fs = std::filesystem;
using platform::Bundle;
using platform::UserDefaults;

namespace {

fs::path boardFolder(const std::string& name, std::optional<std::string> identifier) {
    const fs::path board = sbtest::tempDir() / name;
    fs::create_directories(board);
    sbtest::writeFile(board / "Data.XML",
                      "<Sounds><DT title=\"T\"><DS audio_no=\"001\" label=\"x\"/></DT></Sounds>");
    sbtest::writeFile(board / "001.aiff", "sound");
    sbtest::writeFile(board / "ad.html", "<p>board's own</p>");
    if (identifier) {
        platform::PropertyList::writeFile(
            board / "Info.plist",
            platform::PlistDictionary{{"CFBundleIdentifier", *identifier}, {"CFBundleName", name}});
    }
    return board;
}

void openBoard(const fs::path& board) {
    Bundle::setMainBundlePath(board);
    UserDefaults::resetStandardUserDefaults();
}

// Runs the board part of the command line as the program would.
std::optional<int> commandLine(std::vector<std::string> words) {
    words.insert(words.begin(), "soundboard");
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    return runBoardCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(BoardOpening, LooksInTheBoardFirstThenInTheApplicationBundleAndNeverOutside) {
    const fs::path board = boardFolder("Mine", "org.soundboard.board.mine");
    openBoard(board);
    auto bundle = Bundle::mainBundle();
    ASSERT_TRUE(bundle && bundle->applicationBundle());
    EXPECT_EQ(bundle->pathForResource("Data", "XML"), (board / "Data.XML").string());
    EXPECT_EQ(bundle->pathForResource("ad", "html"), (board / "ad.html").string());
    const auto layout = bundle->pathForResource("MainWindow", "layout");
    ASSERT_TRUE(layout);
    EXPECT_EQ(fs::path(*layout).parent_path(), bundle->applicationBundle()->bundlePath());
    EXPECT_EQ(bundle->mainLayoutName(), "MainWindow");
    EXPECT_EQ(bundle->stringForInfoKey("CFBundleName"), "Mine");
    EXPECT_EQ(bundle->stringForInfoKey("SBInfoAccountName"), "soundboard");
    for (const auto& [name, type] : std::vector<std::pair<std::string, std::string>>{
             {"..", ""}, {"../Mine/Data", "XML"}, {"Data", "XML/.."}, {"x/../Data", "XML"}}) {
        EXPECT_FALSE(bundle->pathForResource(name, type)) << name << "." << type;
    }
    EXPECT_FALSE(bundle->pathForResource("nothing", "here"));
}

TEST(BoardOpening, TheApplicationBundleIsNotABoardAndKeepsItsIdentifier) {
    EXPECT_FALSE(Bundle::isBoardFolder(sbtest::sourceBundle()));
    openBoard(sbtest::sourceBundle());
    EXPECT_FALSE(Bundle::mainBundle()->applicationBundle());
    EXPECT_EQ(UserDefaults::standardFilePath().filename(), "org.soundboard.Soundboard.plist");
}

TEST(BoardOpening, FavouritesOfTwoBoardsStayApart) {
    const fs::path first = boardFolder("First", "org.soundboard.board.first");
    const fs::path second = boardFolder("Second", "org.soundboard.board.second");
    const fs::path unnamedA = boardFolder("UnnamedA", std::nullopt);
    const fs::path unnamedB = boardFolder("UnnamedB", std::nullopt);

    openBoard(first);
    UserDefaults::standardUserDefaults().setBool(true, "001");
    ASSERT_TRUE(UserDefaults::standardUserDefaults().synchronize());
    const fs::path firstStore = UserDefaults::standardFilePath();

    for (const auto& other : {second, unnamedA, unnamedB, sbtest::sourceBundle()}) {
        openBoard(other);
        EXPECT_NE(UserDefaults::standardFilePath(), firstStore) << other;
        EXPECT_FALSE(UserDefaults::standardUserDefaults().boolForKey("001")) << other;
    }
    openBoard(unnamedA);
    const fs::path unnamedStore = UserDefaults::standardFilePath();
    openBoard(unnamedB);
    EXPECT_NE(UserDefaults::standardFilePath(), unnamedStore);

    openBoard(first);
    EXPECT_TRUE(UserDefaults::standardUserDefaults().boolForKey("001"));
}

class WithoutBundleVariable : public testing::Test {
  protected:
    void SetUp() override {
        m_applicationBundle = sbtest::sourceBundle();
        if (const char* value = std::getenv("SOUNDBOARD_BUNDLE")) m_saved = value;
        ::unsetenv("SOUNDBOARD_BUNDLE");
        Bundle::resetMainBundle();
    }
    void TearDown() override {
        if (m_saved) ::setenv("SOUNDBOARD_BUNDLE", m_saved->c_str(), 1);
        Bundle::resetMainBundle();
    }

    fs::path m_applicationBundle;

  private:
    std::optional<std::string> m_saved;
};

TEST_F(WithoutBundleVariable, TheBoardOpenedLastOpensWhenNoneIsGiven) {
    EXPECT_EQ(commandLine({}), std::nullopt);
    EXPECT_FALSE(LastOpenedBoard::recall());

    const fs::path board = boardFolder("Remembered", "org.soundboard.board.remembered");
    EXPECT_EQ(commandLine({"--bundle", board.string()}), std::nullopt);
    EXPECT_EQ(LastOpenedBoard::recall(), board);
    // The preferences are a file of their own, beside the settings, without marks.
    EXPECT_EQ(LastOpenedBoard::preferencesFile().parent_path(),
              UserDefaults::standardFilePath().parent_path());

    Bundle::resetMainBundle();
    EXPECT_EQ(commandLine({"--headless"}), std::nullopt);
    ASSERT_TRUE(Bundle::mainBundle());
    EXPECT_EQ(Bundle::mainBundle()->bundlePath(), board);

    // Opening the application's own bundle by name forgets the board.
    EXPECT_EQ(commandLine({"--bundle=" + m_applicationBundle.string()}), std::nullopt);
    EXPECT_FALSE(LastOpenedBoard::recall());
}

TEST_F(WithoutBundleVariable, ARememberedBoardThatIsGoneIsNotOpened) {
    const fs::path board = boardFolder("Gone", "org.soundboard.board.gone");
    LastOpenedBoard::remember(board);
    fs::remove_all(board);
    EXPECT_FALSE(LastOpenedBoard::recall());
    sbtest::writeFile(LastOpenedBoard::preferencesFile(), "not a property list");
    EXPECT_FALSE(LastOpenedBoard::recall());
}

}  // namespace

namespace {

// What a board's lookups find when its files lead elsewhere.
TEST(BoardOpening, AHostileBoardReadsNothingOutsideItselfAndInheritsNoSound) {
    struct Row {
        const char* name;
        std::function<void(const fs::path& board)> prepare;
        const char* resource;
        const char* type;
        const char* found;  // "board", "application" or "none"
    };
    const fs::path outside = sbtest::tempDir() / "outside";
    sbtest::writeFile(outside / "secret.html", "<p>secret</p>");
    sbtest::writeFile(outside / "001.aiff", "sound");
    const Row rows[] = {
        {"banner_linked_to_passwd",
         [](const fs::path& b) {
             fs::remove(b / "ad.html");
             fs::create_symlink("/etc/passwd", b / "ad.html");
         },
         "ad", "html", "application"},
        {"banner_linked_outside",
         [&](const fs::path& b) {
             fs::remove(b / "ad.html");
             fs::create_symlink(outside / "secret.html", b / "ad.html");
         },
         "ad", "html", "application"},
        {"banner_linked_inside",
         [](const fs::path& b) {
             fs::rename(b / "ad.html", b / "real.html");
             fs::create_symlink("real.html", b / "ad.html");
         },
         "ad", "html", "board"},
        {"banner_is_a_fifo",
         [](const fs::path& b) {
             fs::remove(b / "ad.html");
             ::mkfifo((b / "ad.html").c_str(), 0644);
         },
         "ad", "html", "application"},
        {"sound_linked_outside",
         [&](const fs::path& b) {
             fs::remove(b / "001.aiff");
             fs::create_symlink(outside / "001.aiff", b / "001.aiff");
         },
         "001", "aiff", "none"},
        {"sound_missing_but_bundled", [](const fs::path& b) { fs::remove(b / "001.aiff"); }, "001",
         "aiff", "none"},
        {"catalogue_linked_outside",
         [&](const fs::path& b) {
             fs::remove(b / "Data.XML");
             fs::create_symlink(sbtest::sourceBundle() / "Data.XML", b / "Data.XML");
         },
         "Data", "XML", "none"},
        {"picture_missing", [](const fs::path&) {}, "love.png", "", "application"},
    };
    int index = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path board = boardFolder("Hostile" + std::to_string(index++), std::nullopt);
        row.prepare(board);
        const auto lookup =
            Bundle::boardWithPath(board, Bundle::bundleWithPath(sbtest::sourceBundle()));
        const auto found = lookup->pathForResource(row.resource, row.type);
        const std::string where = !found                                    ? "none"
                                  : fs::path(*found).parent_path() == board ? "board"
                                  : fs::path(*found).parent_path() == sbtest::sourceBundle()
                                      ? "application"
                                      : "elsewhere: " + *found;
        EXPECT_EQ(where, row.found);
    }
}

// Favourites are kept under a board's identifier: a board that names the
// application's identifier, one under it, or another board's, gets one of its own.
TEST(BoardOpening, ABoardCannotClaimTheApplicationsOrAnotherBoardsIdentifier) {
    openBoard(sbtest::sourceBundle());
    const fs::path applicationStore = UserDefaults::standardFilePath();
    UserDefaults::standardUserDefaults().setBool(true, "001");
    ASSERT_TRUE(UserDefaults::standardUserDefaults().synchronize());
    const fs::path owner = boardFolder("Owner", "org.soundboard.board.shared");
    openBoard(owner);
    const fs::path ownerStore = UserDefaults::standardFilePath();
    UserDefaults::standardUserDefaults().setBool(true, "001");
    ASSERT_TRUE(UserDefaults::standardUserDefaults().synchronize());

    for (const char* claimed : {"org.soundboard.Soundboard", "org.soundboard.Soundboard.desktop",
                                "org.soundboard.board.shared"}) {
        SCOPED_TRACE(claimed);
        const fs::path thief = boardFolder(std::string("Thief ") + claimed, claimed);
        openBoard(thief);
        EXPECT_NE(UserDefaults::standardFilePath(), applicationStore);
        EXPECT_NE(UserDefaults::standardFilePath(), ownerStore);
        EXPECT_FALSE(UserDefaults::standardUserDefaults().boolForKey("001"));
    }
    // The owner keeps its own, and a board that moved takes its identifier along.
    openBoard(owner);
    EXPECT_EQ(UserDefaults::standardFilePath(), ownerStore);
    const fs::path moved = sbtest::tempDir() / "Moved";
    fs::rename(owner, moved);
    openBoard(moved);
    EXPECT_EQ(UserDefaults::standardFilePath(), ownerStore);
    EXPECT_TRUE(UserDefaults::standardUserDefaults().boolForKey("001"));
}

}  // namespace
