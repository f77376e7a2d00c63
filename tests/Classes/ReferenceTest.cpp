#include "Classes/Reference.h"

#include "Platform/Foundation/PropertyList.h"
#include "Platform/Foundation/UserDefaults.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

using platform::PlistDictionary;
using platform::PlistValue;
using platform::PropertyList;
using platform::UserDefaults;

// What a later run of the application would find: a new process-wide store
// that reads the file afresh.
void simulateRestart() {
    UserDefaults::resetStandardUserDefaults();
}

std::optional<PlistDictionary> storedOnDisk() {
    return PropertyList::readDictionaryFile(UserDefaults::standardFilePath());
}

TEST(Reference, FreshInstallationReadsNoForEveryKey) {
    for (const char* key : {"vibrate", "1", "0001", "42", ""}) {
        EXPECT_FALSE(Reference::boolForKey(key)) << key;
        EXPECT_EQ(Reference::objectForKey(key), std::nullopt) << key;
    }
}

TEST(Reference, EveryWriteIsOnDiskWhenTheCallReturns) {
    Reference::setBool(true, "vibrate");
    auto afterFirst = storedOnDisk();
    ASSERT_TRUE(afterFirst.has_value());
    EXPECT_EQ(*afterFirst, (PlistDictionary{{"vibrate", PlistValue(true)}}));

    Reference::setObject(PlistValue("note"), "memo");
    auto afterSecond = storedOnDisk();
    ASSERT_TRUE(afterSecond.has_value());
    EXPECT_EQ(afterSecond->at("memo"), PlistValue("note"));
}

TEST(Reference, FavouriteMarksSurviveARestart) {
    Reference::setBool(true, "12");
    Reference::setBool(true, "vibrate");
    simulateRestart();
    EXPECT_TRUE(Reference::boolForKey("12"));
    EXPECT_TRUE(Reference::boolForKey("vibrate"));
    EXPECT_FALSE(Reference::boolForKey("13"));
}

TEST(Reference, MarkClearedWithNoReadsLikeNeverWrittenAndTheKeyStays) {
    Reference::setBool(true, "5");
    Reference::setBool(false, "5");
    simulateRestart();
    EXPECT_FALSE(Reference::boolForKey("5"));
    EXPECT_EQ(Reference::boolForKey("5"), Reference::boolForKey("6"));
    EXPECT_EQ(Reference::objectForKey("5"), PlistValue(false));
}

TEST(Reference, AudioNumbersDifferingInLeadingZerosKeepSeparateMarks) {
    struct Step {
        std::string key;
        bool value;
    };
    const std::vector<Step> steps = {{"7", true}, {"007", false}, {"07", true}, {"0007", false}};
    for (const auto& step : steps) Reference::setBool(step.value, step.key);
    simulateRestart();
    for (const auto& step : steps)
        EXPECT_EQ(Reference::boolForKey(step.key), step.value) << step.key;
    EXPECT_FALSE(Reference::boolForKey("00007"));
}

TEST(Reference, EveryReadSeesTheLatestWrite) {
    for (bool value : {true, false, true, true, false}) {
        Reference::setBool(value, "vibrate");
        EXPECT_EQ(Reference::boolForKey("vibrate"), value);
    }
    Reference::setObject(PlistValue(3), "count");
    EXPECT_EQ(Reference::objectForKey("count"), PlistValue(3));
    EXPECT_TRUE(Reference::boolForKey("count"));
}

}  // namespace
