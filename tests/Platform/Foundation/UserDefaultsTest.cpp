#include "Platform/Foundation/UserDefaults.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Log.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace {

using platform::Bundle;
using platform::PlistArray;
using platform::PlistData;
using platform::PlistDictionary;
using platform::PlistValue;
using platform::PropertyList;
using platform::UserDefaults;

std::filesystem::path settingsFile() {
    return sbtest::tempDir() / "config" / "app" / "app.plist";
}

std::vector<std::filesystem::path> filesNamedLike(const std::filesystem::path& folder,
                                                  const std::string& prefix) {
    std::vector<std::filesystem::path> found;
    if (!std::filesystem::exists(folder)) return found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with(prefix)) found.push_back(entry.path());
    }
    return found;
}

TEST(UserDefaults, AbsentKeysReadAsNoAndNone) {
    UserDefaults store(settingsFile());
    for (const char* key : {"vibrate", "1", "007", ""}) {
        EXPECT_FALSE(store.boolForKey(key)) << key;
        EXPECT_EQ(store.objectForKey(key), std::nullopt) << key;
    }
    EXPECT_TRUE(store.dictionaryRepresentation().empty());
    EXPECT_FALSE(std::filesystem::exists(settingsFile())) << "reading must not create the file";
}

TEST(UserDefaults, BoolForKeyInterpretsStoredValues) {
    struct Case {
        PlistValue stored;
        bool expected;
    };
    const std::vector<Case> cases = {
        {PlistValue(true), true},
        {PlistValue(false), false},
        {PlistValue(1), true},
        {PlistValue(-3), true},
        {PlistValue(0), false},
        {PlistValue(0.5), true},
        {PlistValue(0.0), false},
        {PlistValue("YES"), true},
        {PlistValue("yes"), true},
        {PlistValue("true"), true},
        {PlistValue("1"), true},
        {PlistValue("NO"), false},
        {PlistValue("TRUE"), false},
        {PlistValue("2"), false},
        {PlistValue(""), false},
        {PlistValue(PlistData{1}), false},
        {PlistValue(PlistArray{PlistValue(true)}), false},
    };
    UserDefaults store(settingsFile());
    for (const auto& c : cases) {
        store.setObject(c.stored, "key");
        EXPECT_EQ(store.boolForKey("key"), c.expected) << PropertyList::toBytes(c.stored);
    }
}

TEST(UserDefaults, NoReadsExactlyLikeNeverWritten) {
    UserDefaults store(settingsFile());
    store.setBool(true, "42");
    store.setBool(false, "42");
    ASSERT_TRUE(store.synchronize());
    EXPECT_FALSE(store.boolForKey("42"));
    EXPECT_EQ(store.boolForKey("42"), store.boolForKey("never-written"));
    // The key stays in the store, holding NO.
    EXPECT_EQ(store.objectForKey("42"), PlistValue(false));
    UserDefaults reopened(settingsFile());
    EXPECT_FALSE(reopened.boolForKey("42"));
}

TEST(UserDefaults, LeadingZerosMakeDistinctKeys) {
    UserDefaults store(settingsFile());
    store.setBool(true, "007");
    store.setBool(false, "7");
    store.setBool(true, "0007");
    ASSERT_TRUE(store.synchronize());

    UserDefaults reopened(settingsFile());
    for (auto* defaults : {&store, &reopened}) {
        EXPECT_TRUE(defaults->boolForKey("007"));
        EXPECT_FALSE(defaults->boolForKey("7"));
        EXPECT_TRUE(defaults->boolForKey("0007"));
        EXPECT_FALSE(defaults->boolForKey("07"));
        EXPECT_EQ(defaults->dictionaryRepresentation().size(), 3u);
    }
}

TEST(UserDefaults, FreshInstanceSeesSynchronizedWritesOnly) {
    {
        UserDefaults store(settingsFile());
        store.setBool(true, "vibrate");
        store.setObject(PlistValue(PlistDictionary{{"inner", PlistValue(-1)}}), "nested");
        ASSERT_TRUE(store.synchronize());
        store.setBool(true, "pending");  // never synchronized
    }
    UserDefaults fresh(settingsFile());
    EXPECT_TRUE(fresh.boolForKey("vibrate"));
    EXPECT_EQ(fresh.objectForKey("nested"), PlistValue(PlistDictionary{{"inner", PlistValue(-1)}}));
    EXPECT_FALSE(fresh.boolForKey("pending"));
    EXPECT_EQ(fresh.objectForKey("pending"), std::nullopt);
}

TEST(UserDefaults, ReadsComeFromMemory) {
    UserDefaults store(settingsFile());
    store.setBool(true, "vibrate");
    ASSERT_TRUE(store.synchronize());
    std::filesystem::remove(settingsFile());
    EXPECT_TRUE(store.boolForKey("vibrate"));
}

TEST(UserDefaults, SynchronizeMergesWithOtherWritersAndAdoptsTheirChanges) {
    UserDefaults first(settingsFile());
    UserDefaults second(settingsFile());

    first.setBool(true, "a");
    first.setBool(true, "shared");
    ASSERT_TRUE(first.synchronize());

    // `second` never saw "a" and must not erase it by writing its own key.
    second.setBool(true, "b");
    ASSERT_TRUE(second.synchronize());
    EXPECT_TRUE(second.boolForKey("a"));

    // A removal is a change like any other and travels too.
    first.removeObjectForKey("shared");
    first.setBool(false, "a");
    ASSERT_TRUE(first.synchronize());
    EXPECT_TRUE(first.boolForKey("b"));

    ASSERT_TRUE(second.synchronize());
    EXPECT_EQ(second.objectForKey("shared"), std::nullopt);
    EXPECT_FALSE(second.boolForKey("a"));

    auto onDisk = PropertyList::readDictionaryFile(settingsFile());
    ASSERT_TRUE(onDisk.has_value());
    EXPECT_EQ(*onDisk, (PlistDictionary{{"a", PlistValue(false)}, {"b", PlistValue(true)}}));
    EXPECT_EQ(second.dictionaryRepresentation(), *onDisk);
}

TEST(UserDefaults, LaterWriterWinsForTheSameKey) {
    UserDefaults first(settingsFile());
    UserDefaults second(settingsFile());
    first.setObject(PlistValue("first"), "k");
    second.setObject(PlistValue("second"), "k");
    ASSERT_TRUE(first.synchronize());
    ASSERT_TRUE(second.synchronize());
    ASSERT_TRUE(first.synchronize());
    EXPECT_EQ(first.objectForKey("k"), PlistValue("second"));
}

TEST(UserDefaults, ExternalRemovalOfTheFileIsAdopted) {
    UserDefaults store(settingsFile());
    store.setBool(true, "x");
    ASSERT_TRUE(store.synchronize());
    std::filesystem::remove(settingsFile());
    ASSERT_TRUE(store.synchronize());
    EXPECT_EQ(store.objectForKey("x"), std::nullopt);
}

TEST(UserDefaults, DamagedFileIsKeptAsideLoggedAndTheStoreStartsEmpty) {
    struct Case {
        std::string name;
        std::string contents;
    };
    const std::vector<Case> cases = {
        {"garbage", "this is not a property list"},
        {"empty", ""},
        {"truncated", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>vibrate</key>"},
        {"not a dictionary", PropertyList::toBytes(PlistValue(PlistArray{PlistValue(true)}))},
        {"binary header only", "bplist00"},
    };
    int index = 0;
    for (const auto& c : cases) {
        auto file = sbtest::tempDir() / ("case" + std::to_string(index++)) / "app.plist";
        sbtest::writeFile(file, c.contents);

        platform::LogCapture log;
        UserDefaults store(file);
        EXPECT_TRUE(store.dictionaryRepresentation().empty()) << c.name;
        EXPECT_FALSE(store.boolForKey("vibrate")) << c.name;
        EXPECT_FALSE(std::filesystem::exists(file)) << c.name;

        auto aside = filesNamedLike(file.parent_path(), "app.plist.corrupt-");
        ASSERT_EQ(aside.size(), 1u) << c.name;
        EXPECT_EQ(sbtest::readFile(aside[0]), c.contents) << c.name;
        EXPECT_EQ(
            log.messages(),
            std::vector<std::string>{"UserDefaults: settings file " + file.string() +
                                     " could not be read; kept aside as " + aside[0].string()})
            << c.name;

        // The store works normally afterwards.
        store.setBool(true, "vibrate");
        ASSERT_TRUE(store.synchronize()) << c.name;
        EXPECT_TRUE(UserDefaults(file).boolForKey("vibrate")) << c.name;
    }
}

TEST(UserDefaults, AFileOverTheLimitIsKeptAsideUnreadAndTheStoreStartsEmpty) {
    const auto file = settingsFile();
    // A well-formed store, one byte too large.
    std::string bytes = PropertyList::toBytes(PlistValue(PlistDictionary{{"001", true}}));
    const auto tail = bytes.rfind("</plist>");
    bytes.insert(tail, std::string(UserDefaults::kMaximumFileBytes + 1 - bytes.size(), ' '));
    sbtest::writeFile(file, bytes);

    platform::LogCapture log;
    UserDefaults store(file);
    EXPECT_FALSE(store.boolForKey("001"));
    const auto aside = filesNamedLike(file.parent_path(), "app.plist.corrupt-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(aside[0]), bytes.size());
    EXPECT_EQ(log.messages(),
              std::vector<std::string>{"UserDefaults: settings file " + file.string() +
                                       " is 4.1 MiB, over the 4 MiB that is read; "
                                       "kept aside as " +
                                       aside[0].string()});
}

TEST(UserDefaults, ASettingsFileThatIsALinkIsWrittenThroughTheLink) {
    const auto target = sbtest::tempDir() / "dotfiles" / "settings.plist";
    sbtest::writeFile(target, PropertyList::toBytes(PlistValue(PlistDictionary{{"001", true}})));
    std::filesystem::create_directories(settingsFile().parent_path());
    std::filesystem::create_symlink("../../dotfiles/settings.plist", settingsFile());

    UserDefaults store(settingsFile());
    EXPECT_TRUE(store.boolForKey("001"));
    store.setBool(true, "vibrate");
    ASSERT_TRUE(store.synchronize());
    EXPECT_TRUE(std::filesystem::is_symlink(settingsFile()));
    EXPECT_TRUE(UserDefaults(target).boolForKey("vibrate"));
    EXPECT_TRUE(UserDefaults(target).boolForKey("001"));
}

TEST(UserDefaults, RepeatedDamageKeepsEveryDamagedCopy) {
    auto file = settingsFile();
    sbtest::writeFile(file, "first damage");
    UserDefaults firstStore(file);
    sbtest::writeFile(file, "second damage");
    UserDefaults secondStore(file);

    auto aside = filesNamedLike(file.parent_path(), "app.plist.corrupt-");
    ASSERT_EQ(aside.size(), 2u);
    std::set<std::string> contents = {sbtest::readFile(aside[0]), sbtest::readFile(aside[1])};
    EXPECT_EQ(contents, (std::set<std::string>{"first damage", "second damage"}));
}

TEST(UserDefaults, FileDamagedWhileRunningIsKeptAsideAndTheLastGoodStateWrittenBack) {
    auto file = settingsFile();
    UserDefaults store(file);
    store.setBool(true, "kept");
    ASSERT_TRUE(store.synchronize());

    sbtest::writeFile(file, "scribbled over");
    platform::LogCapture log;
    store.setBool(true, "new");
    ASSERT_TRUE(store.synchronize());

    EXPECT_EQ(log.messages().size(), 1u);
    auto aside = filesNamedLike(file.parent_path(), "app.plist.corrupt-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(sbtest::readFile(aside[0]), "scribbled over");
    auto onDisk = PropertyList::readDictionaryFile(file);
    ASSERT_TRUE(onDisk.has_value());
    EXPECT_EQ(*onDisk, (PlistDictionary{{"kept", PlistValue(true)}, {"new", PlistValue(true)}}));
}

TEST(UserDefaults, FailedSynchronizeKeepsChangesPending) {
    auto blocker = sbtest::tempDir() / "config";
    sbtest::writeFile(blocker, "a file where the folder should be");
    UserDefaults store(settingsFile());
    store.setBool(true, "vibrate");
    EXPECT_FALSE(store.synchronize());
    EXPECT_TRUE(store.boolForKey("vibrate"));

    std::filesystem::remove(blocker);
    EXPECT_TRUE(store.synchronize());
    EXPECT_TRUE(UserDefaults(settingsFile()).boolForKey("vibrate"));
}

TEST(UserDefaults, KeysWithNulAreIgnored) {
    UserDefaults store(settingsFile());
    store.setBool(true, "a");
    store.setBool(false, std::string("a\0b", 3));
    store.removeObjectForKey(std::string("a\0", 2));
    ASSERT_TRUE(store.synchronize());
    EXPECT_EQ(UserDefaults(settingsFile()).dictionaryRepresentation(),
              (PlistDictionary{{"a", PlistValue(true)}}));
}

TEST(UserDefaults, StandardStoreLivesUnderTheConfigFolderNamedByTheBundle) {
    auto bundleFolder = sbtest::tempDir() / "bundle";
    std::filesystem::create_directories(bundleFolder);
    Bundle::setMainBundlePath(bundleFolder);
    auto config = sbtest::tempDir() / "home" / ".config";

    struct Case {
        std::optional<std::string> identifier;  // none: no Info.plist
        std::string expectedFolder;
    };
    const std::vector<Case> cases = {
        {std::nullopt, "bundle"}, {"com.example.Board", "com.example.Board"},
        {"../escape", "bundle"},  {"..", "bundle"},
        {"a/b", "bundle"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(bundleFolder / "Info.plist");
        if (c.identifier) {
            ASSERT_TRUE(PropertyList::writeFile(
                bundleFolder / "Info.plist",
                PlistValue(PlistDictionary{{"CFBundleIdentifier", PlistValue(*c.identifier)}})));
        }
        Bundle::setMainBundlePath(bundleFolder);
        EXPECT_EQ(UserDefaults::standardFilePath(),
                  config / c.expectedFolder / (c.expectedFolder + ".plist"))
            << c.identifier.value_or("none");
    }
}

TEST(UserDefaults, StandardStoreIsSharedUntilReset) {
    auto& store = UserDefaults::standardUserDefaults();
    EXPECT_EQ(&store, &UserDefaults::standardUserDefaults());
    EXPECT_EQ(store.filePath(), UserDefaults::standardFilePath());
    store.setBool(true, "vibrate");
    ASSERT_TRUE(store.synchronize());
    EXPECT_TRUE(std::filesystem::exists(UserDefaults::standardFilePath()));

    UserDefaults::resetStandardUserDefaults();
    EXPECT_TRUE(UserDefaults::standardUserDefaults().boolForKey("vibrate"));

    // After a reset the store follows the current HOME.
    auto otherConfig = sbtest::tempDir() / "other-config";
    setenv("XDG_CONFIG_HOME", otherConfig.c_str(), 1);
    UserDefaults::resetStandardUserDefaults();
    EXPECT_FALSE(UserDefaults::standardUserDefaults().boolForKey("vibrate"));
    EXPECT_TRUE(
        UserDefaults::standardUserDefaults().filePath().string().starts_with(otherConfig.string()));
}

}  // namespace
