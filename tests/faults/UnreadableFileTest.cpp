// A settings or preference file that is there but cannot be read is not
// damaged: it is left where it is, and nothing replaces it with a file that
// lacks its keys until it has been read.

#include "DescriptorsExhausted.h"

#include "Classes/SPLibrary/SPPreference.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Foundation/PropertyList.h"
#include "Platform/Foundation/UserDefaults.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {

using platform::PlistDictionary;
using platform::PlistValue;
using platform::PropertyList;
using platform::UserDefaults;

const bool kResetRegistered = [] {
    sbtest::addResetHook([] { SPPreference::resetClassStateForTesting(); });
    return true;
}();

const PlistDictionary kStored = {{"vibrate", PlistValue(true)}, {"12", PlistValue(true)}};

std::vector<std::string> namesBeside(const std::filesystem::path& file) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(UnreadableSettings, FileThatCannotBeOpenedIsKeptAndMergedOnceItCanBe) {
    const auto file = sbtest::tempDir() / "config" / "app" / "app.plist";
    std::filesystem::create_directories(file.parent_path());
    ASSERT_TRUE(PropertyList::writeFile(file, PlistValue(kStored)));
    const std::string before = sbtest::readFile(file);

    platform::LogCapture log;
    std::optional<UserDefaults> store;
    {
        sbtest::DescriptorsExhausted exhausted;
        ASSERT_TRUE(exhausted.active());
        store.emplace(file);
    }
    EXPECT_EQ(namesBeside(file), std::vector<std::string>{"app.plist"});
    EXPECT_EQ(sbtest::readFile(file), before);
    EXPECT_FALSE(store->boolForKey("vibrate")) << "nothing was read";

    // It works in memory meanwhile, and writes nothing while the file stays out of reach.
    store->setBool(true, "5");
    EXPECT_TRUE(store->boolForKey("5"));
    {
        sbtest::DescriptorsExhausted exhausted;
        EXPECT_FALSE(store->synchronize());
    }
    EXPECT_EQ(sbtest::readFile(file), before);

    // Once it reads, the change joins what the file held.
    ASSERT_TRUE(store->synchronize());
    EXPECT_EQ(
        UserDefaults(file).dictionaryRepresentation(),
        (PlistDictionary{
            {"vibrate", PlistValue(true)}, {"12", PlistValue(true)}, {"5", PlistValue(true)}}));
    EXPECT_TRUE(store->boolForKey("12"));
    // One line for the whole spell of not reading; a write that failed meanwhile has its own.
    const auto lines = log.messages();
    const auto unread = std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("could not be read") != std::string::npos;
    });
    EXPECT_EQ(unread, 1);
}

TEST(UnreadableSettings, SomethingOtherThanAFileAtThePathIsLeftAlone) {
    const auto file = sbtest::tempDir() / "config" / "app" / "app.plist";
    sbtest::writeFile(file / "inside", "not settings");
    UserDefaults store(file);
    store.setBool(true, "vibrate");
    EXPECT_FALSE(store.synchronize());
    EXPECT_TRUE(store.boolForKey("vibrate"));
    EXPECT_EQ(namesBeside(file), (std::vector<std::string>{"app.plist", "app.plist.lock"}));
    EXPECT_EQ(sbtest::readFile(file / "inside"), "not settings");
}

TEST(UnreadablePreference, FileThatCannotBeOpenedIsKeptAndMergedOnceItCanBe) {
    const auto file = sbtest::tempDir() / "prefs" / "p.plist";
    std::filesystem::create_directories(file.parent_path());
    const PlistDictionary stored = {{"volume", PlistValue(7)}, {"name", PlistValue("kept")}};
    ASSERT_TRUE(PropertyList::writeFile(file, PlistValue(stored), platform::PlistFormat::Binary));
    const std::string before = sbtest::readFile(file);
    SPPreference::mainPreference();  // the class initialisation reads its own file first

    platform::LogCapture log;
    std::shared_ptr<SPPreference> preference;
    {
        sbtest::DescriptorsExhausted exhausted;
        ASSERT_TRUE(exhausted.active());
        preference = SPPreference::initWithContentsOfFile(file);
    }
    ASSERT_NE(preference, nullptr);
    EXPECT_TRUE(preference->data().empty());
    preference->data().insert_or_assign("volume", PlistValue(9));
    preference->data().insert_or_assign("added", PlistValue(true));
    {
        sbtest::DescriptorsExhausted exhausted;
        EXPECT_FALSE(preference->writeToFile());
    }
    EXPECT_EQ(sbtest::readFile(file), before);

    // What was set since creation wins; the file supplies the rest.
    ASSERT_TRUE(preference->writeToFile());
    const PlistDictionary expected = {
        {"volume", PlistValue(9)}, {"name", PlistValue("kept")}, {"added", PlistValue(true)}};
    EXPECT_EQ(PropertyList::readDictionaryFile(file), expected);
    EXPECT_EQ(preference->data(), expected);
    EXPECT_EQ(log.messages().size(), 1u);
}

TEST(UnreadablePreference, MalformedFileIsStillReplacedAsBefore) {
    const auto file = sbtest::tempDir() / "prefs" / "p.plist";
    sbtest::writeFile(file, "<plist><dict><key>vol");
    auto preference = SPPreference::initWithContentsOfFile(file);
    EXPECT_TRUE(preference->data().empty());
    preference->data().insert_or_assign("added", PlistValue(true));
    ASSERT_TRUE(preference->writeToFile());
    EXPECT_EQ(PropertyList::readDictionaryFile(file),
              (PlistDictionary{{"added", PlistValue(true)}}));
}

}  // namespace
