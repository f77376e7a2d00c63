#include "Platform/Foundation/URL.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using platform::URL;

struct ParseCase {
    std::string text;
    std::optional<std::string> scheme;
    std::optional<std::string> host;
    std::optional<std::string> query;
    std::string path;
    std::string lastComponent;
    bool isFile;
};

TEST(URL, ParsesUriReferences) {
    using std::nullopt;
    const std::vector<ParseCase> cases = {
        {"http://example.com/a/b?x=1&y=2#frag", "http", "example.com", "x=1&y=2", "/a/b", "b",
         false},
        {"HTTPS://Example.com/Path/", "HTTPS", "Example.com", nullopt, "/Path/", "Path", false},
        {"https://host", "https", "host", nullopt, "", "", false},
        {"https://host/", "https", "host", nullopt, "/", "/", false},
        {"http://host?", "http", "host", "", "", "", false},
        {"http://[::1]:8080/x", "http", "::1", nullopt, "/x", "x", false},
        {"/usr/share/x.html", nullopt, nullopt, nullopt, "/usr/share/x.html", "x.html", false},
        {"/", nullopt, nullopt, nullopt, "/", "/", false},
        {"relative/dir/", nullopt, nullopt, nullopt, "relative/dir/", "dir", false},
        {"a//b", nullopt, nullopt, nullopt, "a//b", "b", false},
        {"file:///tmp/a%20b.txt", "file", nullopt, nullopt, "/tmp/a b.txt", "a b.txt", true},
        {"FILE:///x", "FILE", nullopt, nullopt, "/x", "x", true},
        {"File:/only/path", "File", nullopt, nullopt, "/only/path", "path", true},
        {"file://server/share/f", "file", "server", nullopt, "/share/f", "f", true},
        {"filex:///x", "filex", nullopt, nullopt, "/x", "x", false},
        {"mailto:someone@example.com", "mailto", nullopt, nullopt, "someone@example.com",
         "someone@example.com", false},
        {"itms-apps://itunes.apple.com/app/id1", "itms-apps", "itunes.apple.com", nullopt,
         "/app/id1", "id1", false},
        {"/caf%C3%A9/%25done%00x", nullopt, nullopt, nullopt,
         std::string("/caf\xC3\xA9/%done\0x", 14), std::string("%done\0x", 7), false},
        {"", nullopt, nullopt, nullopt, "", "", false},
    };
    for (const auto& c : cases) {
        auto url = URL::URLWithString(c.text);
        ASSERT_TRUE(url.has_value()) << c.text;
        EXPECT_EQ(url->scheme(), c.scheme) << c.text;
        EXPECT_EQ(url->host(), c.host) << c.text;
        EXPECT_EQ(url->query(), c.query) << c.text;
        EXPECT_EQ(url->path(), c.path) << c.text;
        EXPECT_EQ(url->lastPathComponent(), c.lastComponent) << c.text;
        EXPECT_EQ(url->isFileURL(), c.isFile) << c.text;
        EXPECT_EQ(url->absoluteString(), c.text);
        EXPECT_EQ(url->relativeString(), c.text);
    }
}

TEST(URL, RejectsTextThatIsNotAUriReference) {
    const std::vector<std::string> cases = {
        "http://exa mple.com",
        "has space",
        "%zz",
        "100%",
        "::",
        "http://[::1",
        "C:\\Windows",
        "http://a/<b>",
        std::string("nul\0byte", 8),
        "\"quoted\"",
    };
    for (const auto& text : cases) EXPECT_FALSE(URL::URLWithString(text).has_value()) << text;
}

TEST(URL, FileUrlFromPathEscapesWhatAPathMayNotCarry) {
    struct Case {
        std::string path;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"/usr/share/x.html", "file:///usr/share/x.html"},
        {"/tmp/a b.txt", "file:///tmp/a%20b.txt"},
        {"/x/100%", "file:///x/100%25"},
        {"/caf\xC3\xA9", "file:///caf%C3%A9"},
        {"/dir/", "file:///dir/"},
        {"/", "file:///"},
        {"/q?#", "file:///q%3F%23"},
        {"/keep-_.~", "file:///keep-_.~"},
        {std::string("/nul\0byte", 9), "file:///nul%00byte"},
    };
    for (const auto& c : cases) {
        URL url = URL::fileURLWithPath(c.path);
        EXPECT_EQ(url.absoluteString(), c.expected) << c.path;
        EXPECT_EQ(url.scheme(), std::optional<std::string>("file"));
        EXPECT_TRUE(url.isFileURL());
        EXPECT_EQ(url.path(), c.path);
        // What we write must read back the same way.
        auto reparsed = URL::URLWithString(url.absoluteString());
        ASSERT_TRUE(reparsed.has_value()) << c.expected;
        EXPECT_EQ(reparsed->path(), c.path);
        EXPECT_EQ(reparsed->host(), std::nullopt);
    }
}

// A path's URL text names exactly that path: ordinary paths stay as they are, and what
// a URL would read otherwise (fragment, query, escapes, a scheme, a host) is escaped.
TEST(URL, PathTextNamesExactlyThePath) {
    const struct {
        std::string path;
        std::string text;
    } cases[] = {
        {"/usr/share/x.html", "/usr/share/x.html"},
        {"/a/!$&'()*+,;=:@-._~/b", "/a/!$&'()*+,;=:@-._~/b"},
        {"/b#x/ad.html", "/b%23x/ad.html"},
        {"/a?b/ad.html", "/a%3Fb/ad.html"},
        {"/%41/ad.html", "/%2541/ad.html"},
        {"/with space/x", "/with%20space/x"},
        {"/caf\xC3\xA9", "/caf%C3%A9"},
        {"/[v6]{x}<y>\\^`|\"", "/%5Bv6%5D%7Bx%7D%3Cy%3E%5C%5E%60%7C%22"},
        {std::string("/nul\0byte", 9), "/nul%00byte"},
        {"//host/x", "/%2Fhost/x"},
        {"a:b/c:d", "a%3Ab/c:d"},
        {"relative/x y", "relative/x%20y"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string text = URL::pathText(c.path);
        EXPECT_EQ(text, c.text);
        const auto url = URL::URLWithString(text);
        ASSERT_TRUE(url.has_value());
        EXPECT_EQ(url->path(), c.path);
        EXPECT_EQ(url->scheme(), std::nullopt);
        EXPECT_EQ(url->host(), std::nullopt);
        EXPECT_EQ(url->query(), std::nullopt);
    }
}

TEST(URL, FileUrlFromRelativePathStartsAtTheCurrentFolder) {
    URL url = URL::fileURLWithPath("some file.txt");
    EXPECT_EQ(url.path(), (std::filesystem::current_path() / "some file.txt").string());
    EXPECT_EQ(url.host(), std::nullopt);
    EXPECT_EQ(url.lastPathComponent(), "some file.txt");
}

TEST(URL, EqualityFollowsTheText) {
    EXPECT_EQ(URL::URLWithString("http://a/b"), URL::URLWithString("http://a/b"));
    EXPECT_NE(URL::URLWithString("http://a/b"), URL::URLWithString("HTTP://a/b"));
    EXPECT_EQ(URL::fileURLWithPath("/a b"), *URL::URLWithString("file:///a%20b"));
}

}  // namespace
