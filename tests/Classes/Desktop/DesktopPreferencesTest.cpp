#include "Classes/Desktop/DesktopPreferences.h"
#include "Classes/Desktop/LastOpenedBoard.h"
#include "Platform/Foundation/PropertyList.h"
#include "Platform/Foundation/UserDefaults.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <array>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;
using platform::PlistArray;
using platform::PlistDictionary;
using platform::PlistValue;

namespace {

void store(const std::string& key, PlistValue value) {
    fs::create_directories(DesktopPreferences::file().parent_path());
    platform::UserDefaults file(DesktopPreferences::file());
    file.setObject(std::move(value), key);
    ASSERT_TRUE(file.synchronize());
}

TEST(DesktopPreferences, EveryValueStartsAtItsDefaultAndReadingWritesNothing) {
    const DesktopPreferences preferences;
    EXPECT_EQ(preferences.outputDevice(), "");
    EXPECT_EQ(preferences.volume(), 100);
    EXPECT_FALSE(preferences.muted());
    EXPECT_EQ(preferences.zoom(), std::nullopt);
    EXPECT_FALSE(preferences.windowFrame());
    EXPECT_TRUE(preferences.recentBoards().empty());
    EXPECT_FALSE(fs::exists(DesktopPreferences::file().parent_path()));
}

TEST(DesktopPreferences, ValuesOfTheWrongKindOrOutOfRangeReadAsDefaultsOrClamped) {
    struct Case {
        const char* what;
        std::string key;
        PlistValue value;
        std::function<void(const DesktopPreferences&)> expect;
    };
    const std::vector<Case> cases{
        {"volume as text", "Volume", PlistValue("loud"),
         [](const auto& p) { EXPECT_EQ(p.volume(), 100); }},
        {"volume too high", "Volume", PlistValue(400),
         [](const auto& p) { EXPECT_EQ(p.volume(), 100); }},
        {"volume below 0", "Volume", PlistValue(-3.0),
         [](const auto& p) { EXPECT_EQ(p.volume(), 0); }},
        {"zoom of 0", "Zoom", PlistValue(0.0),
         [](const auto& p) { EXPECT_EQ(p.zoom(), std::nullopt); }},
        {"device as a number", "OutputDevice", PlistValue(7),
         [](const auto& p) { EXPECT_EQ(p.outputDevice(), ""); }},
        {"frame without a height", "WindowFrame",
         PlistValue(PlistDictionary{{"x", 1}, {"y", 2}, {"width", 300}}),
         [](const auto& p) { EXPECT_FALSE(p.windowFrame()); }},
        {"frame far outside any desktop", "WindowFrame",
         PlistValue(PlistDictionary{{"x", 1e12}, {"y", 2}, {"width", 300}, {"height", 400}}),
         [](const auto& p) { EXPECT_FALSE(p.windowFrame()); }},
        {"recent boards not a list", "RecentBoards", PlistValue("one"),
         [](const auto& p) { EXPECT_TRUE(p.recentBoards().empty()); }},
        {"recent boards with odd items", "RecentBoards",
         PlistValue(PlistArray{PlistValue("/a"), PlistValue(3), PlistValue(""), PlistValue("/a"),
                               PlistValue("/b")}),
         [](const auto& p) {
             EXPECT_EQ(p.recentBoards(), (std::vector<fs::path>{"/a", "/b"}));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store(c.key, c.value);
        c.expect(DesktopPreferences());
    }
}

TEST(DesktopPreferences, RecentBoardsAreMostRecentFirstEachOnceAndAtMostTen) {
    DesktopPreferences preferences;
    for (int i = 0; i < 14; ++i) preferences.addRecentBoard("/boards/" + std::to_string(i));
    preferences.addRecentBoard("/boards/7");
    preferences.addRecentBoard("/boards/x/../12");
    const auto boards = DesktopPreferences().recentBoards();
    EXPECT_EQ(boards, (std::vector<fs::path>{"/boards/12", "/boards/7", "/boards/13", "/boards/11",
                                             "/boards/10", "/boards/9", "/boards/8", "/boards/6",
                                             "/boards/5", "/boards/4"}));
    preferences.removeRecentBoard("/boards/13");
    EXPECT_EQ(DesktopPreferences().recentBoards().size(), 9u);
}

TEST(DesktopPreferences, TheyShareTheFileOfTheLastBoardAndKeepItsKey) {
    const fs::path board = sbtest::tempDir() / "Board";
    sbtest::writeFile(board / "Data.XML", "<Data/>");
    LastOpenedBoard::remember(board);
    DesktopPreferences preferences;
    preferences.setVolume(35);
    preferences.setZoom(1.5);
    preferences.setWindowFrame({10, 20, 640, 960});
    EXPECT_EQ(LastOpenedBoard::recall(), board);
    EXPECT_EQ(LastOpenedBoard::preferencesFile(), DesktopPreferences::file());
    EXPECT_EQ(DesktopPreferences::file().filename(), "org.soundboard.Soundboard.desktop.plist");
    const DesktopPreferences again;
    EXPECT_EQ(again.recentBoards(), std::vector<fs::path>{board});
    EXPECT_EQ(again.volume(), 35);
    EXPECT_EQ(again.zoom(), std::optional<double>(1.5));
    EXPECT_EQ(again.windowFrame(), (DesktopPreferences::WindowFrame{10, 20, 640, 960}));
    const auto file = platform::PropertyList::readDictionaryFile(DesktopPreferences::file());
    ASSERT_TRUE(file);
    EXPECT_EQ(file->at("LastOpenedBoard"), PlistValue(board.string()));
}

TEST(DesktopPreferences, TheFileIsReadOnceAndAgainOnlyWhenAnotherWriterChangedIt) {
    DesktopPreferences().setVolume(35);
    const fs::path file = DesktopPreferences::file();
    EXPECT_EQ(DesktopPreferences().volume(), 35);

    // The same bytes' length, the same file and time: nothing tells a reader
    // it changed, so a handle that reads the file each time would see the damage.
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    const std::string kept = sbtest::readFile(file);
    {
        std::fstream rewrite(file, std::ios::in | std::ios::out | std::ios::binary);
        rewrite.write(std::string(kept.size(), '#').data(),
                      static_cast<std::streamsize>(kept.size()));
    }
    const std::array<timespec, 2> times{before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times.data(), 0), 0);
    EXPECT_EQ(DesktopPreferences().volume(), 35) << "read again though nothing said it changed";
    sbtest::writeFile(file, kept);

    // Another process writes through a store of its own: the next handle sees it.
    store("Volume", PlistValue(60));
    EXPECT_EQ(DesktopPreferences().volume(), 60);
    DesktopPreferences().setMuted(true);
    const auto onDisk = platform::PropertyList::readDictionaryFile(file);
    ASSERT_TRUE(onDisk);
    EXPECT_EQ(onDisk->at("Volume"), PlistValue(60));
    EXPECT_EQ(onDisk->at("Muted"), PlistValue(true));
}

}  // namespace
