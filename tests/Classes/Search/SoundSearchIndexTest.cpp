// Finding sounds by label: folding, ranking and narrowing as the user types.

#include "Classes/Search/SearchFolding.h"
#include "Classes/Search/SoundSearchIndex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::vector<std::string> kLabels = {
    "Air Horn",            // 0
    "Éclair",              // 1
    "Sad Trombone",        // 2
    "Straße",              // 3
    "Referee Whistle",     // 4
    "Slide Whistle",       // 5
    "Whistle",             // 6
    "ÅNGSTRÖM",            // 7
    "Hello!",              // 8
    "Ｆｕｌｌｗｉｄｔｈ",  // 9
    "Zip-Zap",             // 10
    "\xff\xfe broken",     // 11: not UTF-8
    "Last Stand",          // 12
};

std::vector<std::string> labelsOf(const std::vector<std::size_t>& positions) {
    std::vector<std::string> found;
    for (std::size_t position : positions) found.push_back(kLabels.at(position));
    return found;
}

TEST(SoundSearchIndexTest, FindsLabelsWhateverTheCaseAndAccents) {
    struct Case {
        const char* query;
        std::vector<std::size_t> expected;
    };
    const Case cases[] = {
        {"eclair", {1}},
        {"ÉCLAIR", {1}},
        {"Eclair", {1}},
        {"e\xcc\x81"
         "clair",
         {1}},  // e and a combining acute
        {"strasse", {3}},
        {"STRASSE", {3}},
        {"straß", {3}},
        {"angstrom", {7}},
        {"ångström", {7}},
        {"fullwidth", {9}},
        {"AIR horn", {0}},
        {"hello!", {8}},
        {"broken", {11}},
        {"xyz", {}},
        {"horns", {}},
        {"trombonee", {}},
    };
    SoundSearchIndex index(kLabels);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        EXPECT_EQ(index.search(c.query), c.expected);
    }
}

TEST(SoundSearchIndexTest, RanksLabelStartThenWordStartThenInside) {
    struct Case {
        const char* query;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        // "Whistle" starts with it; the other two have it as a later word.
        {"whi", {"Whistle", "Referee Whistle", "Slide Whistle"}},
        // Label starts before an inside match that comes earlier in the catalogue.
        {"s",
         {"Sad Trombone", "Straße", "Slide Whistle", "Last Stand", "Referee Whistle", "Whistle",
          "ÅNGSTRÖM"}},
        // A word start ranks before inside matches that come earlier in the catalogue.
        {"st", {"Straße", "Last Stand", "Referee Whistle", "Slide Whistle", "Whistle", "ÅNGSTRÖM"}},
        {"tle", {"Referee Whistle", "Slide Whistle", "Whistle"}},
        // After a hyphen is a word start.
        {"zap", {"Zip-Zap"}},
        {"a",
         {"Air Horn", "ÅNGSTRÖM", "Éclair", "Sad Trombone", "Straße", "Zip-Zap", "Last Stand"}},
        {"one", {"Sad Trombone"}},
    };
    SoundSearchIndex index(kLabels);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        EXPECT_EQ(labelsOf(index.search(c.query)), c.expected);
    }
}

TEST(SoundSearchIndexTest, AnEmptyQueryListsEverySoundInOrder) {
    SoundSearchIndex index(kLabels);
    for (const char* query : {"", "\xcc\x81"}) {  // nothing, or only a mark
        const auto all = index.search(query);
        ASSERT_EQ(all.size(), kLabels.size()) << query;
        for (std::size_t position = 0; position < all.size(); ++position) {
            EXPECT_EQ(all[position], position);
        }
    }
    EXPECT_TRUE(SoundSearchIndex({}).search("").empty());
    EXPECT_TRUE(SoundSearchIndex({}).search("a").empty());
}

TEST(SoundSearchIndexTest, TypingAndDeletingGiveWhatAFreshIndexGives) {
    // Each step as typed on one index, compared with a fresh index's answer:
    // narrowing, Backspace and a changed word must not lose or keep matches.
    const char* typed[] = {"w",  "wh", "whi", "whis", "whi",   "wh", "w",  "",   "s",
                           "sl", "s",  "sa",  "sad ", "sad t", "x",  "sa", "st", "str"};
    SoundSearchIndex index(kLabels);
    for (const char* query : typed) {
        SCOPED_TRACE(query);
        EXPECT_EQ(index.search(query), SoundSearchIndex(kLabels).search(query));
    }
}

TEST(SoundSearchIndexTest, FoldingAndWordStarts) {
    struct Case {
        const char* text;
        const char* folded;
    };
    const Case cases[] = {
        {"Éclair", "eclair"},
        {"STRASSE", "strasse"},
        {"Straße", "strasse"},
        {"İstanbul", "istanbul"},
        {"Ｚｉｐ", "zip"},
        {"Привет", "привет"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(SearchFolding::fold(c.text), c.folded) << c.text;

    const std::string label = SearchFolding::fold("Zip-Zap über");
    EXPECT_TRUE(SearchFolding::startsWord(label, 0));
    EXPECT_FALSE(SearchFolding::startsWord(label, 1));
    EXPECT_TRUE(SearchFolding::startsWord(label, 4));    // after the hyphen
    EXPECT_TRUE(SearchFolding::startsWord(label, 8));    // after the space
    EXPECT_FALSE(SearchFolding::startsWord(label, 99));  // past the end
}

}  // namespace
