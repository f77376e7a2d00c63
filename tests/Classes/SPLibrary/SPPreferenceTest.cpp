#include "Classes/SPLibrary/SPPreference.h"

#include "Classes/SPLibrary/SPUtility.h"
#include "Platform/Foundation/PropertyList.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

using platform::PlistArray;
using platform::PlistData;
using platform::PlistDate;
using platform::PlistDictionary;
using platform::PlistValue;

namespace {

const bool kResetsClassState = [] {
    sbtest::addResetHook([] { SPPreference::resetClassStateForTesting(); });
    return true;
}();

std::filesystem::path mainFile() {
    return SPUtility::pathForDocument("mainpreference.plist");
}

PlistDictionary everyKindOfValue() {
    return {
        {"string", PlistValue("caf\xC3\xA9")},
        {"integer", PlistValue(std::int64_t{-42})},
        {"real", PlistValue(2.5)},
        {"yes", PlistValue(true)},
        {"no", PlistValue(false)},
        {"date", PlistValue(PlistDate{86400})},
        {"data", PlistValue(PlistData{0, 1, 254, 255})},
        {"array", PlistValue(PlistArray{PlistValue("a"), PlistValue(1)})},
        {"dictionary", PlistValue(PlistDictionary{{"inner", PlistValue("x")}})},
        {"", PlistValue("empty key")},
    };
}

// A derived class without an initialisation of its own runs the base's again.
class SharedPreference : public SPPreference {
  public:
    static void use() { initializeClass<SharedPreference>(); }
};

}  // namespace

TEST(SPPreferenceTest, FirstUseWithoutFileGivesEmptyMainDictionaryAndWritesNothing) {
    ASSERT_TRUE(kResetsClassState);
    auto main = SPPreference::mainPreference();
    ASSERT_TRUE(main);
    EXPECT_EQ(main->path(), mainFile().string());
    ASSERT_NE(SPPreference::mainDictionary(), nullptr);
    EXPECT_TRUE(SPPreference::mainDictionary()->empty());
    EXPECT_EQ(SPPreference::mainDictionary(), &main->data());
    EXPECT_EQ(SPPreference::mainPreference(), main);
    EXPECT_FALSE(std::filesystem::exists(mainFile()));
}

TEST(SPPreferenceTest, FinalizeWritesValuesThatAFreshFirstUseReadsBack) {
    std::filesystem::create_directories(mainFile().parent_path());
    *SPPreference::mainDictionary() = everyKindOfValue();
    (*SPPreference::mainDictionary())["late"] = PlistValue("added");
    EXPECT_FALSE(std::filesystem::exists(mainFile())) << "changes stay in memory until written";

    SPPreference::finalize();
    EXPECT_FALSE(SPPreference::mainPreference());
    EXPECT_EQ(SPPreference::mainDictionary(), nullptr);
    ASSERT_TRUE(std::filesystem::exists(mainFile()));

    SPPreference::resetClassStateForTesting();
    auto expected = everyKindOfValue();
    expected["late"] = PlistValue("added");
    ASSERT_NE(SPPreference::mainDictionary(), nullptr);
    EXPECT_EQ(*SPPreference::mainDictionary(), expected);
}

TEST(SPPreferenceTest, ValuesReachAFreshProcess) {
    std::filesystem::create_directories(mainFile().parent_path());
    // The child is a process of its own: its class state and memory die with it, so only
    // the file can carry the values back.
    EXPECT_EXIT(
        {
            (*SPPreference::mainDictionary())["fromChild"] = PlistValue(std::int64_t{7});
            SPPreference::finalize();
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    ASSERT_NE(SPPreference::mainDictionary(), nullptr);
    EXPECT_EQ(*SPPreference::mainDictionary(),
              (PlistDictionary{{"fromChild", PlistValue(std::int64_t{7})}}));
}

TEST(SPPreferenceTest, SettingTheCurrentMainPreferenceAgainWritesAndKeepsIt) {
    std::filesystem::create_directories(mainFile().parent_path());
    auto main = SPPreference::mainPreference();
    main->data()["k"] = PlistValue("v");
    SPPreference::setMainPreference(main);
    EXPECT_EQ(SPPreference::mainPreference(), main);
    EXPECT_EQ(platform::PropertyList::readDictionaryFile(mainFile()),
              (PlistDictionary{{"k", PlistValue("v")}}));
}

TEST(SPPreferenceTest, ReplacingTheMainPreferenceWritesOnlyTheOldOne) {
    std::filesystem::create_directories(mainFile().parent_path());
    const auto otherFile = sbtest::tempDir() / "other.plist";
    SPPreference::mainDictionary()->emplace("old", PlistValue(true));
    auto other = SPPreference::initWithContentsOfFile(otherFile.string());
    other->data()["new"] = PlistValue(false);

    SPPreference::setMainPreference(other);
    EXPECT_EQ(SPPreference::mainPreference(), other);
    EXPECT_EQ(SPPreference::mainDictionary(), &other->data());
    EXPECT_EQ(platform::PropertyList::readDictionaryFile(mainFile()),
              (PlistDictionary{{"old", PlistValue(true)}}));
    EXPECT_FALSE(std::filesystem::exists(otherFile));

    SPPreference::setMainPreference(nullptr);
    EXPECT_EQ(platform::PropertyList::readDictionaryFile(otherFile),
              (PlistDictionary{{"new", PlistValue(false)}}));
}

TEST(SPPreferenceTest, UnusableFilesReadAsEmptyAndAreLeftAlone) {
    struct Case {
        const char* name;
        std::string contents;
    };
    const Case cases[] = {
        {"empty", ""},
        {"garbage", "this is not a property list"},
        {"truncated-xml", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key>"},
        {"array-root",
         "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>a</string></array></plist>"},
        {"string-root", "<?xml version=\"1.0\"?><plist version=\"1.0\"><string>a</string></plist>"},
        {"truncated-binary", std::string("bplist00\xd1\x01\x02", 11)},
    };
    for (const auto& c : cases) {
        const auto path = sbtest::tempDir() / c.name;
        sbtest::writeFile(path, c.contents);
        auto preference = SPPreference::initWithContentsOfFile(path.string());
        ASSERT_TRUE(preference) << c.name;
        EXPECT_TRUE(preference->data().empty()) << c.name;
        EXPECT_EQ(preference->path(), path.string());
        EXPECT_EQ(sbtest::readFile(path), c.contents) << c.name;
    }
    const auto missing = sbtest::tempDir() / "missing.plist";
    EXPECT_TRUE(SPPreference::initWithContentsOfFile(missing.string())->data().empty());
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_TRUE(SPPreference::initWithContentsOfFile(sbtest::tempDir().string())->data().empty());
}

TEST(SPPreferenceTest, WriteToFileRoundTripsEveryValueKindInBothEncodings) {
    for (auto format : {platform::PlistFormat::XML, platform::PlistFormat::Binary}) {
        const auto path = sbtest::tempDir() / "values.plist";
        ASSERT_TRUE(
            platform::PropertyList::writeFile(path, PlistValue(everyKindOfValue()), format));
        auto loaded = SPPreference::initWithContentsOfFile(path.string());
        EXPECT_EQ(loaded->data(), everyKindOfValue());

        loaded->setData({{"replaced", PlistValue(1)}});
        EXPECT_TRUE(loaded->writeToFile());
        EXPECT_EQ(SPPreference::initWithContentsOfFile(path.string())->data(),
                  (PlistDictionary{{"replaced", PlistValue(1)}}));
    }
}

TEST(SPPreferenceTest, WriteToFileKeepsEveryValueExactly) {
    const PlistDictionary exact{
        {"date", PlistValue(PlistDate{86400.5})},
        {"third", PlistValue(1.0 / 3.0)},
        {"tiny", PlistValue(5e-324)},
        {"largest", PlistValue(std::int64_t{9223372036854775807})},
        {"smallest", PlistValue(std::int64_t{-9223372036854775807 - 1})},
        {"nested", PlistValue(PlistArray{PlistValue(PlistDictionary{{"d", PlistValue(0.1)}})})},
    };
    const auto path = sbtest::tempDir() / "exact.plist";
    auto preference = SPPreference::initWithContentsOfFile(path.string());
    preference->setData(exact);
    ASSERT_TRUE(preference->writeToFile());
    EXPECT_EQ(SPPreference::initWithContentsOfFile(path.string())->data(), exact);
}

TEST(SPPreferenceTest, FailedWriteReportsAndLeavesNoFile) {
    const auto path = sbtest::tempDir() / "no-such-folder" / "p.plist";
    auto preference = SPPreference::initWithContentsOfFile(path.string());
    preference->data()["a"] = PlistValue("b");
    EXPECT_FALSE(preference->writeToFile());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(preference->data().size(), 1u);
}

TEST(SPPreferenceTest, MakingAnyPreferenceIsAFirstUseOfTheClass) {
    std::filesystem::create_directories(mainFile().parent_path());
    ASSERT_TRUE(platform::PropertyList::writeFile(
        mainFile(), PlistValue(PlistDictionary{{"stored", PlistValue("yes")}})));
    SPPreference::initWithContentsOfFile((sbtest::tempDir() / "other.plist").string());
    // The file is read at the first use; changing it afterwards changes nothing.
    ASSERT_TRUE(platform::PropertyList::writeFile(mainFile(), PlistValue(PlistDictionary{})));
    ASSERT_NE(SPPreference::mainDictionary(), nullptr);
    EXPECT_EQ(SPPreference::mainDictionary()->count("stored"), 1u);
}

TEST(SPPreferenceTest, DerivedClassInitialisationReloadsOnceAfterWritingThePrevious) {
    std::filesystem::create_directories(mainFile().parent_path());
    auto base = SPPreference::mainPreference();
    base->data()["unsaved"] = PlistValue(3);

    // The file is read into the new preference first; installing it writes the old one.
    SharedPreference::use();
    auto reloaded = SPPreference::mainPreference();
    ASSERT_TRUE(reloaded);
    EXPECT_NE(reloaded, base);
    EXPECT_TRUE(reloaded->data().empty());
    EXPECT_EQ(platform::PropertyList::readDictionaryFile(mainFile()),
              (PlistDictionary{{"unsaved", PlistValue(3)}}));

    reloaded->data()["later"] = PlistValue(4);
    SharedPreference::use();
    EXPECT_EQ(SPPreference::mainPreference(), reloaded) << "a class initialises once";
    EXPECT_EQ(platform::PropertyList::readDictionaryFile(mainFile())->count("later"), 0u);
}

TEST(SPPreferenceTest, RacingFirstUsesAgreeOnOneMainPreference) {
    std::vector<std::shared_ptr<SPPreference>> seen(8);
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < seen.size(); ++i) {
            threads.emplace_back([&seen, i] { seen[i] = SPPreference::mainPreference(); });
        }
    }
    for (const auto& preference : seen) {
        ASSERT_TRUE(preference);
        EXPECT_EQ(preference, seen.front());
    }
}

TEST(SPPreferenceTest, FinalizeMakesAMissingDocumentsFolder) {
    ASSERT_FALSE(std::filesystem::exists(mainFile().parent_path()));
    (*SPPreference::mainDictionary())["k"] = PlistValue("v");
    SPPreference::finalize();
    EXPECT_EQ(platform::PropertyList::readDictionaryFile(mainFile()),
              (PlistDictionary{{"k", PlistValue("v")}}));

    // Only the documents folder is made: other missing folders still fail the write.
    const auto elsewhere = sbtest::tempDir() / "missing" / "p.plist";
    auto other = SPPreference::initWithContentsOfFile(elsewhere.string());
    other->data()["k"] = PlistValue("v");
    EXPECT_FALSE(other->writeToFile());
    EXPECT_FALSE(std::filesystem::exists(elsewhere.parent_path()));
}

TEST(SPPreferenceTest, TextsOnlyXmlKeepsAreWrittenAndATextNoFormKeepsLeavesTheOldFile) {
    std::filesystem::create_directories(mainFile().parent_path());
    struct Case {
        const char* name;
        std::string key, text;
        bool written;
    };
    const Case cases[] = {
        {"utf-8", "k", "caf\xC3\xA9", true},         {"stray byte", "k", "caf\xE9", true},
        {"cut sequence", "k", "\xC3", true},         {"key not utf-8", "k\xFF", "plain", true},
        {"nul", "k", std::string("a\0b", 3), false},
    };
    for (const auto& c : cases) {
        const PlistDictionary before{{"before", PlistValue(c.name)}};
        ASSERT_TRUE(platform::PropertyList::writeFile(mainFile(), PlistValue(before)));
        SPPreference::resetClassStateForTesting();
        (*SPPreference::mainDictionary())[c.key] = PlistValue(c.text);
        const PlistDictionary after = *SPPreference::mainDictionary();

        auto main = SPPreference::mainPreference();
        SPPreference::setMainPreference(main);
        EXPECT_EQ(SPPreference::mainPreference(), main) << c.name;
        EXPECT_EQ(main->data(), after) << c.name << ": memory is kept either way";
        EXPECT_EQ(platform::PropertyList::readDictionaryFile(mainFile()),
                  c.written ? after : before)
            << c.name;
    }
}
