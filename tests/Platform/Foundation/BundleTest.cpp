#include "Platform/Foundation/Bundle.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

using platform::Bundle;
using platform::PlistDictionary;
using platform::PlistValue;
using platform::PropertyList;

// Puts an environment variable back as it was, so tests that run in one
// process do not see each other's changes.
class EnvironmentRestorer {
  public:
    explicit EnvironmentRestorer(const char* name) : m_name(name) {
        if (const char* value = std::getenv(name)) m_value = value;
    }
    ~EnvironmentRestorer() {
        if (m_value) {
            setenv(m_name, m_value->c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }
    EnvironmentRestorer(const EnvironmentRestorer&) = delete;
    EnvironmentRestorer& operator=(const EnvironmentRestorer&) = delete;

  private:
    const char* m_name;
    std::optional<std::string> m_value;
};

std::filesystem::path makeBundleFolder(const std::string& name) {
    auto folder = sbtest::tempDir() / name;
    sbtest::writeFile(folder / "Data.XML", "<root/>");
    sbtest::writeFile(folder / "ad.html", "<html></html>");
    sbtest::writeFile(folder / "README", "plain");
    sbtest::writeFile(folder / ".hidden", "dot");
    sbtest::writeFile(folder / "sub" / "inner.txt", "inner");
    std::filesystem::create_directories(folder / "folder.d");
    return folder;
}

TEST(Bundle, BundleWithPathNeedsAFolder) {
    auto folder = makeBundleFolder("res");
    auto bundle = Bundle::bundleWithPath(folder);
    ASSERT_NE(bundle, nullptr);
    EXPECT_EQ(bundle->bundlePath(), folder);
    EXPECT_EQ(Bundle::bundleWithPath(folder / "")->bundlePath(), folder);
    EXPECT_EQ(Bundle::bundleWithPath(folder / "Data.XML"), nullptr);
    EXPECT_EQ(Bundle::bundleWithPath(folder / "missing"), nullptr);
    EXPECT_EQ(Bundle::bundleWithPath(""), nullptr);
}

TEST(Bundle, PathForResourceFindsRegularFilesOnly) {
    auto folder = makeBundleFolder("res");
    sbtest::writeFile(sbtest::tempDir() / "secret.txt", "outside");
    auto bundle = Bundle::bundleWithPath(folder);
    ASSERT_NE(bundle, nullptr);
    const std::string base = folder.string() + "/";

    struct Case {
        std::string name;
        std::string type;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"Data", "XML", base + "Data.XML"},
        {"ad", "html", base + "ad.html"},
        {"README", "", base + "README"},
        {"", "hidden", base + ".hidden"},
        {"data", "xml", std::nullopt},  // names are case-sensitive
        {"missing", "aiff", std::nullopt},
        {"folder", "d", std::nullopt},  // a folder is not a resource
        {"sub", "", std::nullopt},
        // Attempts to leave the folder or reach into a sub-folder.
        {"../secret", "txt", std::nullopt},
        {"..", "", std::nullopt},
        {"", "..", std::nullopt},
        {".", ".", std::nullopt},
        {".", "", std::nullopt},
        {"sub/inner", "txt", std::nullopt},
        {"inner", "/txt", std::nullopt},
        {"a/b", "", std::nullopt},
        {"/etc/passwd", "", std::nullopt},
        {"..", "/secret.txt", std::nullopt},
        {std::string("ad\0x", 4), "html", std::nullopt},
        {"ad", std::string("html\0", 5), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bundle->pathForResource(c.name, c.type), c.expected)
            << "name=" << c.name << " type=" << c.type;
    }
}

TEST(Bundle, EmptyNameAndTypeGiveTheFolderWithATrailingSlash) {
    auto folder = makeBundleFolder("res");
    auto bundle = Bundle::bundleWithPath(folder);
    auto path = bundle->pathForResource("", "");
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(*path, folder.string() + "/");
    // What callers do with it: drop the last component and append a file name.
    auto sibling = std::filesystem::path(*path).parent_path() / "ad.html";
    EXPECT_EQ(sibling.string(), bundle->pathForResource("ad", "html"));
}

TEST(Bundle, InfoDictionaryGivesIdentifierNameAndMainLayout) {
    struct Case {
        std::optional<PlistDictionary> info;  // none: no Info.plist
        std::string identifier;
        std::string name;
        std::string layout;
        bool logsMissingIdentifier;
    };
    // A bundle whose Info.plist names nothing usable is known by its folder's name.
    const std::vector<Case> cases = {
        {std::nullopt, "bundle0", "bundle0", "MainWindow", true},
        {PlistDictionary{}, "bundle1", "bundle1", "MainWindow", true},
        {PlistDictionary{{"CFBundleIdentifier", PlistValue("com.example.Board")},
                         {"CFBundleName", PlistValue("Board")},
                         {"NSMainNibFile", PlistValue("Shell")}},
         "com.example.Board", "Board", "Shell", false},
        {PlistDictionary{{"CFBundleIdentifier", PlistValue(7)},
                         {"CFBundleName", PlistValue("")},
                         {"NSMainNibFile", PlistValue(true)}},
         "bundle3", "bundle3", "MainWindow", true},
        {PlistDictionary{{"CFBundleIdentifier", PlistValue("")}}, "bundle4", "bundle4",
         "MainWindow", true},
    };
    int index = 0;
    for (const auto& c : cases) {
        auto folder = sbtest::tempDir() / ("bundle" + std::to_string(index++));
        std::filesystem::create_directories(folder);
        if (c.info) {
            ASSERT_TRUE(PropertyList::writeFile(folder / "Info.plist", PlistValue(*c.info)));
        }
        auto bundle = Bundle::bundleWithPath(folder);
        ASSERT_NE(bundle, nullptr);
        testing::internal::CaptureStderr();
        EXPECT_EQ(bundle->bundleIdentifier(), c.identifier);
        EXPECT_EQ(Bundle::bundleWithPath(folder)->bundleIdentifier(), c.identifier);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(bundle->bundleName(), c.name);
        EXPECT_EQ(bundle->mainLayoutName(), c.layout);
        EXPECT_EQ(log.find("names no CFBundleIdentifier") != std::string::npos,
                  c.logsMissingIdentifier)
            << log;
        EXPECT_LE(std::count(log.begin(), log.end(), '\n'), 1) << "once per folder: " << log;
        EXPECT_EQ(bundle->infoDictionary(), c.info.value_or(PlistDictionary{}));
    }
}

TEST(Bundle, DamagedInfoPlistReadsAsEmpty) {
    auto folder = makeBundleFolder("res");
    sbtest::writeFile(folder / "Info.plist", "<plist><dict><key>CFBundleIdentifier");
    auto bundle = Bundle::bundleWithPath(folder);
    ASSERT_NE(bundle, nullptr);
    EXPECT_TRUE(bundle->infoDictionary().empty());
    EXPECT_EQ(bundle->bundleIdentifier(), "res");
    EXPECT_EQ(bundle->stringForInfoKey("CFBundleIdentifier"), std::nullopt);
}

TEST(Bundle, ApplicationIdentifierAndNameComeFromTheMainBundle) {
    auto folder = sbtest::tempDir() / "Cats";
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(PropertyList::writeFile(
        folder / "Info.plist",
        PlistValue(PlistDictionary{{"CFBundleIdentifier", PlistValue("org.example.Cats")},
                                   {"CFBundleName", PlistValue("Cat Board")}})));
    Bundle::setMainBundlePath(folder);
    EXPECT_EQ(Bundle::applicationIdentifier(), "org.example.Cats");
    EXPECT_EQ(Bundle::applicationName(), "Cat Board");
    // The bundled resources keep the identifier their settings are filed under.
    Bundle::setMainBundlePath(SB_SOURCE_RESOURCES);
    EXPECT_EQ(Bundle::applicationIdentifier(), "org.soundboard.Soundboard");
    EXPECT_EQ(Bundle::applicationName(), "Soundboard");
    Bundle::resetMainBundle();
}

TEST(Bundle, MainBundlePrefersTheChosenFolderThenTheEnvironment) {
    auto chosen = makeBundleFolder("chosen");
    auto fromEnvironment = makeBundleFolder("env");
    EnvironmentRestorer restoreBundle("SOUNDBOARD_BUNDLE");
    setenv("SOUNDBOARD_BUNDLE", fromEnvironment.c_str(), 1);

    ASSERT_NE(Bundle::mainBundle(), nullptr);
    EXPECT_EQ(Bundle::mainBundle()->bundlePath(), fromEnvironment);

    Bundle::setMainBundlePath(chosen);
    EXPECT_EQ(Bundle::mainBundle()->bundlePath(), chosen);
    EXPECT_EQ(Bundle::mainBundle(), Bundle::mainBundle());  // chosen once, then kept

    // A chosen folder that does not exist is passed over.
    Bundle::setMainBundlePath(sbtest::tempDir() / "nowhere");
    EXPECT_EQ(Bundle::mainBundle()->bundlePath(), fromEnvironment);

    Bundle::resetMainBundle();
    EXPECT_EQ(Bundle::mainBundle()->bundlePath(), fromEnvironment);
}

TEST(Bundle, MainBundleFallsBackToTheSourceTreeResources) {
    const std::filesystem::path source = SB_SOURCE_RESOURCES;
    EnvironmentRestorer restoreBundle("SOUNDBOARD_BUNDLE");
    unsetenv("SOUNDBOARD_BUNDLE");
    Bundle::resetMainBundle();
    auto bundle = Bundle::mainBundle();
    ASSERT_NE(bundle, nullptr);
    EXPECT_EQ(bundle->bundlePath(), source);
}

}  // namespace
