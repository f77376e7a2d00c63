#include "Classes/SPLibrary/SPUtility.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Foundation/XdgPaths.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

std::string home() {
    return std::getenv("HOME");
}

}  // namespace

TEST(SPUtilityPathTest, StringByURLEncodingKeepsTheEscapedLastComponent) {
    struct Case {
        std::string text, encoded;
    };
    const Case cases[] = {
        {"a b.txt", "a_b.txt"},
        {"dir/name", "name"},
        {"plain", "plain"},
        {"100%", "100%25"},
        {"%41", "%2541"},
        {"caf\xC3\xA9 au lait", "caf%C3%A9_au_lait"},
        {"a/b c/d e", "d_e"},
        {"name/", "name"},
        {"  ", "__"},
        {"", ""},
        {"///", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SPUtility::stringByURLEncoding(c.text), c.encoded) << c.text;
    }
}

TEST(SPUtilityPathTest, LogWritesFileNameLineAndMessage) {
    struct Case {
        std::string message;
        const char* file;
        std::int32_t line;
        std::string logged;
    };
    const Case cases[] = {
        {"hello", "/src/Classes/MainPage", 42, "[MainPage:42] hello"},
        {"hello", "/src/Classes/MainPage.mm", 7, "[MainPage.mm:7] hello"},
        {"%@ %d %s %n", "a/b.cpp", -1, "[b.cpp:-1] %@ %d %s %n"},
        {"no file", nullptr, 0, "[:0] no file"},
        {"dir", "x/dir/", 2147483647, "[dir:2147483647] dir"},
        {"root", "/", 1, "[/:1] root"},
        {"", "bare.c", 3, "[bare.c:3] "},
    };
    for (const auto& c : cases) {
        platform::LogCapture capture;
        SPUtility::log(c.message, c.file, c.line);
        EXPECT_EQ(capture.messages(), std::vector<std::string>{c.logged});
    }
}

TEST(SPUtilityPathTest, PathForDocumentJoinsOneComponent) {
    const std::string documents = home() + "/Documents";
    ASSERT_EQ(platform::XdgPaths::documentsDir().string(), documents);
    struct Case {
        std::string name, path;
    };
    const Case cases[] = {
        {"mainpreference.plist", documents + "/mainpreference.plist"},
        {"/x", documents + "/x"},
        {"a/b", documents + "/a/b"},
        {"", documents},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SPUtility::pathForDocument(c.name), c.path) << c.name;
    }
}

TEST(SPUtilityPathTest, PathForDocumentFollowsTheUserDocumentsFolder) {
    sbtest::writeFile(platform::XdgPaths::configHome() / "user-dirs.dirs",
                      "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
    EXPECT_EQ(SPUtility::pathForDocument("x.plist"), home() + "/Papers/x.plist");
}

TEST(SPUtilityPathTest, PathForHomeKeepsTheNameAsWritten) {
    struct Case {
        std::string name, path;
    };
    const Case cases[] = {
        {"a", home() + "/a"},
        {"/a", home() + "//a"},
        {"", home() + "/"},
        {"a/../b", home() + "/a/../b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SPUtility::pathForHome(c.name), c.path) << c.name;
    }
}

TEST(SPUtilityPathTest, PathForResourceLooksInTheMainBundle) {
    const auto bundle = sbtest::tempDir() / "bundle";
    sbtest::writeFile(bundle / "Data.XML", "<DS/>");
    sbtest::writeFile(bundle / "README", "r");
    platform::Bundle::setMainBundlePath(bundle);
    const std::string folder = platform::Bundle::mainBundle()->bundlePath().string();

    EXPECT_EQ(SPUtility::pathForResource("Data", "XML"), folder + "/Data.XML");
    EXPECT_EQ(SPUtility::pathForResource("README", ""), folder + "/README");
    EXPECT_EQ(SPUtility::pathForResource("Data", "xml"), std::nullopt);
    EXPECT_EQ(SPUtility::pathForResource("absent", "png"), std::nullopt);
    EXPECT_EQ(SPUtility::pathForResource("../bundle/Data", "XML"), std::nullopt);

    // The file name form answers whether or not the file exists.
    EXPECT_EQ(SPUtility::pathForResource("Data.XML"), folder + "/Data.XML");
    EXPECT_EQ(SPUtility::pathForResource("absent.png"), folder + "/absent.png");
    EXPECT_EQ(SPUtility::pathForResource(""), folder + "/");
}

TEST(SPUtilityPathTest, URLRequestsCarryTheUrlAndDefaults) {
    const auto request = SPUtility::URLRequestWithURLString("http://example.com/a?b=1");
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->url().absoluteString(), "http://example.com/a?b=1");
    EXPECT_EQ(request->url().host(), "example.com");
    EXPECT_EQ(request->cachePolicy(), platform::URLRequest::kDefaultCachePolicy);
    EXPECT_EQ(request->timeoutInterval(), 60.0);

    for (const char* bad : {"http://[::1", "a b", "%zz"}) {
        EXPECT_FALSE(SPUtility::URLRequestWithURLString(bad).has_value()) << bad;
    }

    const auto file = SPUtility::URLRequestWithFilePath("/tmp/a b/%.txt");
    EXPECT_TRUE(file.url().isFileURL());
    EXPECT_EQ(file.url().path(), "/tmp/a b/%.txt");
    EXPECT_EQ(file.url().absoluteString(), "file:///tmp/a%20b/%25.txt");
    EXPECT_EQ(file.timeoutInterval(), 60.0);
}
