#include "Platform/Audio/SystemSounds.h"
#include "Platform/Foundation/XMLParser.h"
#include "SoundFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace platform;
using sbtest::audio::fileURL;

struct Entry {
    std::string audioNo;
    std::string label;
};
struct Category {
    std::string title;
    std::vector<Entry> entries;
};

// Reads the catalogue as the pages do, by position: the document element's
// children are categories, theirs are sound entries. Anything else is recorded.
class CatalogueReader : public XMLParserDelegate {
  public:
    std::vector<Category> categories;
    std::vector<std::string> problems;

    void parserDidStartElement(XMLParser&, std::string_view name, std::string_view,
                               std::string_view, const XMLAttributes& attributes) override {
        ++m_depth;
        if (m_depth == 2) {
            if (name != "DT") problems.push_back("category element " + std::string(name));
            categories.push_back({std::string(attributes.find("title").value_or("")), {}});
        } else if (m_depth == 3) {
            if (name != "DS") problems.push_back("entry element " + std::string(name));
            categories.back().entries.push_back(
                {std::string(attributes.find("audio_no").value_or("")),
                 std::string(attributes.find("label").value_or(""))});
        } else if (m_depth > 3) {
            problems.push_back("element too deep: " + std::string(name));
        }
    }
    void parserDidEndElement(XMLParser&, std::string_view, std::string_view,
                             std::string_view) override {
        --m_depth;
    }
    void parserFoundCharacters(XMLParser&, std::string_view characters) override {
        if (characters.find_first_not_of(" \t\r\n") != std::string_view::npos) {
            problems.push_back("character data: " + std::string(characters));
        }
    }

  private:
    int m_depth = 0;
};

CatalogueReader readCatalogue() {
    CatalogueReader reader;
    const auto parser =
        XMLParser::initWithData(sbtest::readFile(sbtest::sourceBundle() / "Data.XML"));
    parser->setDelegate(&reader);
    EXPECT_TRUE(parser->parse());
    return reader;
}

TEST(BundledSounds, CatalogueHasTheShapeThePagesRead) {
    const CatalogueReader catalogue = readCatalogue();
    EXPECT_TRUE(catalogue.problems.empty()) << catalogue.problems.front();
    EXPECT_GE(catalogue.categories.size(), 3u);

    std::size_t entries = 0;
    std::set<std::string> audioNumbers;
    bool leadingZero = false;
    bool escapedLabel = false;
    for (const Category& category : catalogue.categories) {
        EXPECT_FALSE(category.title.empty());
        EXPECT_FALSE(category.entries.empty()) << category.title;
        for (const Entry& entry : category.entries) {
            ++entries;
            SCOPED_TRACE(entry.audioNo);
            EXPECT_FALSE(entry.audioNo.empty());
            EXPECT_NE(entry.audioNo, "vibrate");  // the key of the vibration flag
            EXPECT_TRUE(audioNumbers.insert(entry.audioNo).second) << "audio number repeated";
            EXPECT_FALSE(entry.label.empty());
            EXPECT_LE(entry.label.size(), 24u) << "labels stay short in a list";
            leadingZero |= entry.audioNo.size() > 1 && entry.audioNo.front() == '0';
            escapedLabel |= entry.label.find_first_of("&<\"") != std::string::npos;
        }
    }
    EXPECT_GE(entries, 24u);
    EXPECT_TRUE(leadingZero) << "an audio number keeps its leading zeros";
    EXPECT_TRUE(escapedLabel) << "a label needs escaping in XML";
    // The label the favourites document round-trip is checked against.
    EXPECT_EQ(catalogue.categories.front().entries.at(6).label, "Salt & Pepper <3 \"Hi\"");
    EXPECT_EQ(catalogue.categories.front().entries.at(6).audioNo, "007");
}

TEST(BundledSounds, EveryAudioNumberNamesAShortMonoClipThatRegisters) {
    const CatalogueReader catalogue = readCatalogue();
    for (const Category& category : catalogue.categories) {
        for (const Entry& entry : category.entries) {
            SCOPED_TRACE(entry.audioNo);
            const auto path = sbtest::sourceBundle() / (entry.audioNo + ".aiff");
            const auto info = sbtest::audio::readAiffInfo(sbtest::readFile(path));
            ASSERT_TRUE(info.has_value());
            EXPECT_EQ(info->channels, 1);
            EXPECT_EQ(info->bits, 16);
            EXPECT_DOUBLE_EQ(info->rate, 22050.0);
            EXPECT_GE(info->seconds(), 0.2);
            EXPECT_LE(info->seconds(), 3.0);

            SystemSoundID soundID = 0;
            EXPECT_EQ(AudioServicesCreateSystemSoundID(fileURL(path), &soundID),
                      kAudioServicesNoError);
            EXPECT_NE(soundID, 0u);
        }
    }
}

TEST(BundledSounds, NoClipIsLeftWithoutACatalogueEntry) {
    const CatalogueReader catalogue = readCatalogue();
    std::set<std::string> listed;
    for (const Category& category : catalogue.categories) {
        for (const Entry& entry : category.entries) listed.insert(entry.audioNo + ".aiff");
    }
    for (const auto& file : std::filesystem::directory_iterator(sbtest::sourceBundle())) {
        if (file.path().extension() != ".aiff") continue;
        EXPECT_TRUE(listed.contains(file.path().filename().string())) << file.path();
    }
}

}  // namespace
