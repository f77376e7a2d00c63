#include "Platform/Foundation/XdgPaths.h"

#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using platform::XdgPaths;

std::filesystem::path home() {
    return sbtest::tempDir() / "home";
}

TEST(XdgPaths, HomeComesFromTheEnvironment) {
    EXPECT_EQ(XdgPaths::home(), home());
    setenv("HOME", "/somewhere/else", 1);
    EXPECT_EQ(XdgPaths::home(), std::filesystem::path("/somewhere/else"));
}

TEST(XdgPaths, HomeFallsBackToThePasswordDatabaseWhenUnset) {
    unsetenv("HOME");
    auto fallback = XdgPaths::home();
    EXPECT_TRUE(fallback.is_absolute()) << fallback;
    EXPECT_NE(fallback, home());
}

TEST(XdgPaths, BaseFoldersUseAbsoluteEnvironmentValuesOnly) {
    struct Case {
        const char* value;  // nullptr: unset
        std::filesystem::path expectedConfig;
        std::filesystem::path expectedData;
    };
    const std::vector<Case> cases = {
        {"/custom", "/custom", "/custom"},
        {nullptr, home() / ".config", home() / ".local/share"},
        {"", home() / ".config", home() / ".local/share"},
        {"relative/dir", home() / ".config", home() / ".local/share"},
    };
    for (const auto& c : cases) {
        if (c.value != nullptr) {
            setenv("XDG_CONFIG_HOME", c.value, 1);
            setenv("XDG_DATA_HOME", c.value, 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
            unsetenv("XDG_DATA_HOME");
        }
        EXPECT_EQ(XdgPaths::configHome(), c.expectedConfig) << (c.value ? c.value : "unset");
        EXPECT_EQ(XdgPaths::dataHome(), c.expectedData) << (c.value ? c.value : "unset");
    }
}

TEST(XdgPaths, DocumentsFolderFromUserDirsFile) {
    struct Case {
        std::string fileContents;
        std::filesystem::path expected;
    };
    const std::vector<Case> cases = {
        {"XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n", home() / "Documents"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", home() / "Dokumente"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/My Papers/\"\n", home() / "My Papers"},
        {"XDG_DOCUMENTS_DIR=\"$HOME\"\n", home()},
        {"XDG_DOCUMENTS_DIR=\"$HOME/\"\n", home()},
        {"XDG_DOCUMENTS_DIR=\"/srv/docs\"\n", "/srv/docs"},
        {"  XDG_DOCUMENTS_DIR = \"/srv/spaced\"\n", "/srv/spaced"},
        {"XDG_DOCUMENTS_DIR=\"/srv/quote\\\"d\"\n", "/srv/quote\"d"},
        {"# XDG_DOCUMENTS_DIR=\"/commented/out\"\n", home() / "Documents"},
        {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n"
         "XDG_MUSIC_DIR=\"$HOME/Music\"\n",
         home() / "Docs"},
        // Relative or malformed entries are not answers.
        {"XDG_DOCUMENTS_DIR=\"Documents\"\n", home() / "Documents"},
        {"XDG_DOCUMENTS_DIR=\"$HOMEDocs\"\n", home() / "Documents"},
        {"XDG_DOCUMENTS_DIR=\"/unterminated\n", home() / "Documents"},
        {"XDG_DOCUMENTS_DIR=/no/quotes\n", home() / "Documents"},
        {"XDG_DOCUMENTS_DIR\n", home() / "Documents"},
        {"", home() / "Documents"},
        // A later valid entry wins, an invalid one does not undo an earlier one.
        {"XDG_DOCUMENTS_DIR=\"/first\"\nXDG_DOCUMENTS_DIR=\"/second\"\n", "/second"},
        {"XDG_DOCUMENTS_DIR=\"/first\"\nXDG_DOCUMENTS_DIR=\"relative\"\n", "/first"},
    };
    for (const auto& c : cases) {
        sbtest::writeFile(XdgPaths::configHome() / "user-dirs.dirs", c.fileContents);
        EXPECT_EQ(XdgPaths::documentsDir(), c.expected) << c.fileContents;
    }
}

TEST(XdgPaths, DocumentsFolderWithoutUserDirsFile) {
    EXPECT_EQ(XdgPaths::documentsDir(), home() / "Documents");
}

TEST(XdgPaths, UserDirsFileIsReadFromTheConfigFolder) {
    auto custom = sbtest::tempDir() / "elsewhere";
    sbtest::writeFile(custom / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/from/custom\"\n");
    setenv("XDG_CONFIG_HOME", custom.c_str(), 1);
    EXPECT_EQ(XdgPaths::documentsDir(), std::filesystem::path("/from/custom"));
}

}  // namespace
