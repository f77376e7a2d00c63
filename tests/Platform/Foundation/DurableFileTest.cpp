#include "Platform/Foundation/DurableFile.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <optional>
#include <set>

namespace {

using platform::writeFileDurably;

std::set<std::string> namesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(DurableFile, WritesNewFileAndReplacesExistingOneWithoutLeftovers) {
    auto folder = sbtest::tempDir() / "out";
    std::filesystem::create_directories(folder);
    auto target = folder / "settings.plist";
    const std::vector<std::string> contents = {"first", "", std::string("bin\0ary", 7),
                                               std::string(1 << 20, 'z'), "last"};
    for (const auto& text : contents) {
        ASSERT_TRUE(writeFileDurably(target, text));
        EXPECT_EQ(sbtest::readFile(target), text);
        EXPECT_EQ(namesIn(folder), std::set<std::string>{"settings.plist"});
    }
}

TEST(DurableFile, ReplacementKeepsThePermissionsOfTheFileItReplaces) {
    auto target = sbtest::tempDir() / "shared.txt";
    sbtest::writeFile(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_TRUE(writeFileDurably(target, "new"));
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(DurableFile, NewFileGetsTheModeOpenWouldGiveIt) {
    const mode_t mask = ::umask(027);
    auto target = sbtest::tempDir() / "fresh.txt";
    bool written = writeFileDurably(target, "new");
    ::umask(mask);
    ASSERT_TRUE(written);
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(DurableFile, AGivenModeHoldsWhateverTheOldFileAndTheUmask) {
    struct Case {
        const char* what;
        std::optional<mode_t> oldMode;  // none: no file yet
    };
    const Case cases[] = {{"a new file", std::nullopt},
                          {"over a file others may read", 0644},
                          {"over a private file", 0600}};
    const mode_t mask = ::umask(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto target = sbtest::tempDir() / "secret.json";
        std::filesystem::remove(target);
        if (c.oldMode) {
            sbtest::writeFile(target, "old");
            EXPECT_EQ(::chmod(target.c_str(), *c.oldMode), 0);
        }
        EXPECT_TRUE(writeFileDurably(
            target, "new",
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write));
        struct stat info {};
        EXPECT_EQ(::stat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0600u);
        EXPECT_EQ(sbtest::readFile(target), "new");
    }
    ::umask(mask);
}

TEST(DurableFile, FailureLeavesTheOldStateUntouched) {
    auto root = sbtest::tempDir();
    sbtest::writeFile(root / "plainfile", "not a folder");
    std::filesystem::create_directories(root / "occupied" / "settings.plist");
    sbtest::writeFile(root / "occupied" / "settings.plist" / "inside", "kept");

    struct Case {
        std::filesystem::path target;
        std::filesystem::path folderToCheck;
    };
    const std::vector<Case> cases = {
        {root / "missing-folder" / "settings.plist", {}},
        {root / "plainfile" / "settings.plist", {}},
        {root / "occupied" / "settings.plist", root / "occupied"},
        {std::filesystem::path(), {}},
        {root / "trailing-slash" / "", {}},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(writeFileDurably(c.target, "new contents")) << c.target;
        if (!c.folderToCheck.empty()) {
            EXPECT_EQ(namesIn(c.folderToCheck), std::set<std::string>{"settings.plist"});
        }
    }
    EXPECT_FALSE(std::filesystem::exists(root / "missing-folder"));
    EXPECT_EQ(sbtest::readFile(root / "plainfile"), "not a folder");
    EXPECT_EQ(sbtest::readFile(root / "occupied" / "settings.plist" / "inside"), "kept");
}

}  // namespace
