#include "Platform/UI/HTMLBounds.h"
#include "Platform/UI/HTMLLinkScanner.h"
#include "Platform/UI/WebView.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using platform::URL;
using platform::URLRequest;
using platform::WebView;

URLRequest request(const std::string& text) {
    auto url = URL::URLWithString(text);
    if (!url) throw std::runtime_error("bad test URL " + text);
    return URLRequest(*url);
}

URLRequest fileRequest(const std::filesystem::path& path) {
    return URLRequest(URL::fileURLWithPath(path.string()));
}

// Records every question and answers it with `policy` (YES unless told).
class Recorder : public platform::WebViewDelegate {
  public:
    struct Question {
        std::string url;
        int navigationType;
    };
    bool webViewShouldStartLoadWithRequest(WebView& view, const URLRequest& request,
                                           int navigationType) override {
        questions.push_back({request.url().absoluteString(), navigationType});
        return policy ? policy(view, request, navigationType) : true;
    }
    void webViewDidFinishLoad(WebView&) override { ++finished; }

    std::vector<Question> questions;
    int finished = 0;
    std::function<bool(WebView&, const URLRequest&, int)> policy;
};

class WebViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = sbtest::tempDir() / "site dir";
        sbtest::writeFile(folder / "a.html", "<a href=\"b.html\">to B</a>");
        sbtest::writeFile(folder / "b.html", "<a href=\"c.html\">to C</a>");
        sbtest::writeFile(folder / "c.html", "<p>C</p>");
        view->setDelegate(recorder);
    }

    std::string currentFile() const { return view->request()->url().lastPathComponent(); }

    std::filesystem::path folder;
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
    std::shared_ptr<WebView> view = std::make_shared<WebView>();
};

TEST_F(WebViewTest, EveryKindOfNavigationAsksTheDelegateWithItsType) {
    const struct {
        const char* name;
        std::function<void()> navigate;
        int expectedType;
        const char* expectedFile;
    } cases[] = {
        {"load", [&] { view->loadRequest(fileRequest(folder / "a.html")); },
         platform::kWebViewNavigationTypeOther, "a.html"},
        {"link", [&] { view->tapLink(0); }, platform::kWebViewNavigationTypeLinkClicked, "b.html"},
        {"form", [&] { view->submitForm(fileRequest(folder / "c.html")); },
         platform::kWebViewNavigationTypeFormSubmitted, "c.html"},
        {"back", [&] { view->goBack(); }, platform::kWebViewNavigationTypeBackForward, "b.html"},
        {"forward", [&] { view->goForward(); }, platform::kWebViewNavigationTypeBackForward,
         "c.html"},
        {"reload", [&] { view->reload(); }, platform::kWebViewNavigationTypeReload, "c.html"},
        {"resubmit",
         [&] {
             view->navigate(fileRequest(folder / "a.html"),
                            platform::kWebViewNavigationTypeFormResubmitted);
         },
         platform::kWebViewNavigationTypeFormResubmitted, "a.html"},
    };
    int loads = 0;
    for (const auto& c : cases) {
        recorder->questions.clear();
        c.navigate();
        ASSERT_EQ(recorder->questions.size(), 1u) << c.name;
        EXPECT_EQ(recorder->questions[0].navigationType, c.expectedType) << c.name;
        EXPECT_EQ(currentFile(), c.expectedFile) << c.name;
        EXPECT_EQ(view->loadCount(), ++loads) << c.name;
        EXPECT_EQ(recorder->finished, loads) << c.name;
    }
}

TEST_F(WebViewTest, NoLeavesTheCurrentPageAndHistoryAsTheyAre) {
    view->loadRequest(fileRequest(folder / "a.html"));
    view->tapLink(0);
    view->goBack();  // on a.html, with b.html ahead
    recorder->policy = [](WebView&, const URLRequest&, int) { return false; };

    const struct {
        const char* name;
        std::function<bool()> navigate;
    } refused[] = {
        {"load",
         [&] {
             view->loadRequest(fileRequest(folder / "c.html"));
             return false;
         }},
        {"link", [&] { return view->tapLink(0); }},
        {"form", [&] { return view->submitForm(request("http://example.com/form")); }},
        {"forward",
         [&] {
             view->goForward();
             return false;
         }},
        {"reload",
         [&] {
             view->reload();
             return false;
         }},
        {"navigate", [&] { return view->navigate(request("http://example.com/"), 5); }},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(c.navigate()) << c.name;
        EXPECT_EQ(currentFile(), "a.html") << c.name;
        EXPECT_EQ(view->html(), "<a href=\"b.html\">to B</a>") << c.name;
        ASSERT_EQ(view->links().size(), 1u) << c.name;
        EXPECT_EQ(view->loadCount(), 3) << c.name;
        EXPECT_FALSE(view->canGoBack()) << c.name;
        EXPECT_TRUE(view->canGoForward()) << c.name;
    }
    EXPECT_EQ(recorder->questions.size(), 3u + std::size(refused));
}

TEST_F(WebViewTest, HistoryGoesBackAndForwardAndANewLoadDropsTheForwardList) {
    EXPECT_FALSE(view->canGoBack());
    view->goBack();  // nothing to go back to: not even a question
    view->goForward();
    view->reload();
    EXPECT_TRUE(recorder->questions.empty());

    view->loadRequest(fileRequest(folder / "a.html"));
    view->tapLink(0);
    view->tapLink(0);
    EXPECT_EQ(currentFile(), "c.html");
    EXPECT_EQ(view->backList().size(), 2u);

    const struct {
        std::function<void()> step;
        const char* file;
        bool back, forward;
    } steps[] = {
        {[&] { view->goBack(); }, "b.html", true, true},
        {[&] { view->goBack(); }, "a.html", false, true},
        {[&] { view->goBack(); }, "a.html", false, true},
        {[&] { view->goForward(); }, "b.html", true, true},
        {[&] { view->reload(); }, "b.html", true, true},
        {[&] { view->loadRequest(fileRequest(folder / "b.html")); }, "b.html", true, true},
        {[&] { view->loadRequest(fileRequest(folder / "c.html")); }, "c.html", true, false},
        {[&] { view->goBack(); }, "b.html", true, true},
        {[&] { view->goBack(); }, "a.html", false, true},
    };
    int index = 0;
    for (const auto& s : steps) {
        s.step();
        EXPECT_EQ(currentFile(), s.file) << "step " << index;
        EXPECT_EQ(view->canGoBack(), s.back) << "step " << index;
        EXPECT_EQ(view->canGoForward(), s.forward) << "step " << index;
        ++index;
    }
    EXPECT_EQ(view->forwardList().size(), 2u);
}

TEST_F(WebViewTest, LinksAreExtractedDecodedAndResolvedAgainstThePagesFolder) {
    sbtest::writeFile(
        folder / "links.html",
        "<html><body>\n"
        "<a href=\"http://example.com/x?a=1&amp;b=2\">Absolute &amp; <b>bold</b></a>\n"
        "<A HREF='sub/page.html'>  Upper\n  case </A>\n"
        "<a class=x href=../up.html>unquoted</a>\n"
        "<a href=\"/abs/file.html\">absolute path</a>\n"
        "<a href=\"#top\">fragment</a>\n"
        "<a name=\"anchor\">no href</a>\n"
        "<abbr href=\"no.html\">not a link</abbr>\n"
        "<!-- <a href=\"commented.html\">hidden</a> -->\n"
        "<script>var s = '<a href=\"script.html\">';</script>\n"
        "<a href=\"mailto:me@example.com\">mail</a>\n"
        "<a href=\"with space.html\">space</a>\n"
        "<a href=\"unclosed.html\">unclosed <a href=\"next.html\">next</a>\n"
        "</body></html>\n");
    view->loadRequest(fileRequest(folder / "links.html"));
    ASSERT_EQ(view->baseDirectory(), folder);

    const auto page = [&](const std::string& name) {
        return URL::fileURLWithPath((folder / name).lexically_normal().string()).absoluteString();
    };
    const struct {
        std::string href, text, url;
    } expected[] = {
        {"http://example.com/x?a=1&b=2", "Absolute & bold", "http://example.com/x?a=1&b=2"},
        {"sub/page.html", "Upper case", page("sub/page.html")},
        {"../up.html", "unquoted",
         URL::fileURLWithPath((folder.parent_path() / "up.html").string()).absoluteString()},
        {"/abs/file.html", "absolute path", "file:///abs/file.html"},
        {"#top", "fragment", page("links.html")},
        {"mailto:me@example.com", "mail", "mailto:me@example.com"},
        {"with space.html", "space", page("with space.html")},
        {"unclosed.html", "unclosed", page("unclosed.html")},
        {"next.html", "next", page("next.html")},
    };
    ASSERT_EQ(view->links().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const auto& link = view->links()[i];
        EXPECT_EQ(link.href, expected[i].href) << i;
        EXPECT_EQ(link.text, expected[i].text) << i;
        EXPECT_EQ(link.url.absoluteString(), expected[i].url) << i;
    }
}

TEST_F(WebViewTest, TappingALinkLoadsItsPageAndOutOfRangeTapsDoNothing) {
    sbtest::writeFile(folder / "sub" / "page.html", "<a href=\"../a.html\">home</a>");
    sbtest::writeFile(folder / "index.html", "<a href=\"sub/page.html\">sub</a>");
    view->loadRequest(fileRequest(folder / "index.html"));
    EXPECT_FALSE(view->tapLink(1));
    EXPECT_FALSE(view->tapLink(SIZE_MAX));
    EXPECT_EQ(view->loadCount(), 1);

    EXPECT_TRUE(view->tapLink(0));
    EXPECT_EQ(view->baseDirectory(), folder / "sub");
    EXPECT_EQ(view->html(), "<a href=\"../a.html\">home</a>");
    EXPECT_TRUE(view->tapLink(0));
    EXPECT_EQ(view->html(), "<a href=\"b.html\">to B</a>");
    EXPECT_EQ(recorder->questions.back().navigationType,
              platform::kWebViewNavigationTypeLinkClicked);
}

TEST_F(WebViewTest, PathsWithoutASchemeLoadLocalFilesAndOtherURLsLoadNoContent) {
    // A path as text parses as a URL only without blanks.
    sbtest::writeFile(sbtest::tempDir() / "plain" / "a.html", "<a href=\"b.html\">to B</a>");
    const auto bare = URL::URLWithString((sbtest::tempDir() / "plain" / "a.html").string());
    ASSERT_TRUE(bare);
    ASSERT_FALSE(bare->scheme());
    const struct {
        const char* name;
        URLRequest request;
        std::string html;
        bool hasBase;
    } cases[] = {
        {"a path without a scheme", URLRequest(*bare), "<a href=\"b.html\">to B</a>", true},
        {"a file URL", fileRequest(folder / "c.html"), "<p>C</p>", true},
        {"a missing file", fileRequest(folder / "missing.html"), "", false},
        {"a folder", fileRequest(folder), "", false},
        {"a web page", request("https://example.com/"), "", false},
        {"an upper-case file scheme",
         request("FILE" + fileRequest(folder / "c.html").url().absoluteString().substr(4)),
         "<p>C</p>", true},
    };
    for (const auto& c : cases) {
        view->loadRequest(c.request);
        ASSERT_TRUE(view->request()) << c.name;
        EXPECT_EQ(*view->request(), c.request) << c.name;
        EXPECT_EQ(view->html(), c.html) << c.name;
        EXPECT_EQ(view->baseDirectory().has_value(), c.hasBase) << c.name;
    }
    EXPECT_TRUE(view->links().empty());
}

TEST_F(WebViewTest, WithoutADelegateEveryLoadProceeds) {
    recorder.reset();  // the view does not keep its delegate
    view->loadRequest(fileRequest(folder / "a.html"));
    EXPECT_TRUE(view->tapLink(0));
    EXPECT_EQ(currentFile(), "b.html");
    EXPECT_EQ(view->loadCount(), 2);
}

TEST_F(WebViewTest, ANavigationStartedInsideTheDelegatesAnswerWins) {
    recorder->policy = [&](WebView& webView, const URLRequest& request, int) {
        if (request.url().lastPathComponent() == "a.html") {
            webView.loadRequest(fileRequest(folder / "c.html"));
        }
        return true;
    };
    EXPECT_FALSE(view->navigate(fileRequest(folder / "a.html"), 5));
    EXPECT_EQ(currentFile(), "c.html");
    EXPECT_EQ(view->loadCount(), 1);
    EXPECT_FALSE(view->canGoBack());
}

TEST_F(WebViewTest, TheDelegateMayReleaseTheViewsOwnerInsideItsAnswer) {
    std::weak_ptr<WebView> weak = view;
    recorder->policy = [&](WebView&, const URLRequest&, int) {
        view.reset();
        return true;
    };
    WebView* raw = view.get();
    EXPECT_TRUE(raw->navigate(fileRequest(folder / "a.html"), 5));
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(recorder->finished, 1);
}

TEST(HTMLLinkScannerTest, EntitiesDecodeOrStayAsWritten) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"a&amp;b", "a&b"},
        {"&lt;&gt;&quot;&apos;", "<>\"'"},
        {"&nbsp;", "\xC2\xA0"},
        {"&#65;&#x42;&#X43;", "ABC"},
        {"&#x20AC;", "\xE2\x82\xAC"},
        {"&#x1F600;", "\xF0\x9F\x98\x80"},
        {"&#0;", "\xEF\xBF\xBD"},
        {"&#xD800;", "\xEF\xBF\xBD"},
        {"&#x110000;", "\xEF\xBF\xBD"},
        {"&#99999999999999999999;", "\xEF\xBF\xBD"},
        {"&unknown;", "&unknown;"},
        {"&amp", "&amp"},
        {"&#;", "&#;"},
        {"&#x;", "&#x;"},
        {"&#12a;", "&#12a;"},
        {"& amp;", "& amp;"},
        {"&amp;amp;", "&amp;"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::HTMLLinkScanner::decodeEntities(c.in), c.out) << c.in;
    }
}

TEST(HTMLLinkScannerTest, MalformedPagesGiveWhatCanBeRead) {
    const struct {
        const char* html;
        std::vector<std::pair<std::string, std::string>> links;
    } cases[] = {
        {"", {}},
        {"<", {}},
        {"<a", {}},
        {"<a href", {}},
        {"<a href=", {{"", ""}}},
        {"<a href=\"x", {{"x", ""}}},
        {"<a href=\"x\">text", {{"x", "text"}}},
        {"<a href=x>a</a><a href=y>b</a>", {{"x", "a"}, {"y", "b"}}},
        {"<a href=\"x\" href=\"y\">first wins</a>", {{"x", "first wins"}}},
        {"<!-- unclosed <a href=x>", {}},
        {"<script><a href=x>", {}},
        {"<SCRIPT>x</SCRIPT><a href=y>after</a>", {{"y", "after"}}},
        {"<scripts><a href=z>z</a>", {{"z", "z"}}},
        {"<a\thref=t\n>tab</a >", {{"t", "tab"}}},
    };
    for (const auto& c : cases) {
        std::vector<std::pair<std::string, std::string>> found;
        for (const auto& link : platform::HTMLLinkScanner::scan(c.html)) {
            found.emplace_back(link.href, link.text);
        }
        EXPECT_EQ(found, c.links) << c.html;
    }
}

// A page from elsewhere (a board's banner) cannot load the user's files:
// its links to local files are asked about and then go nowhere.
TEST_F(WebViewTest, AViewThatLoadsNoLocalLinksAsksThenStaysOnItsPage) {
    sbtest::writeFile(folder / "links.html",
                      "<a href=\"b.html\">b</a><a href=\"file:///etc/passwd\">p</a>"
                      "<a href=\"../../outside/secret.html\">s</a><a href=\"http://x.org/\">w</a>");
    view->setLoadsLocalLinks(false);
    view->loadRequest(fileRequest(folder / "links.html"));
    ASSERT_EQ(view->links().size(), 4u);
    for (std::size_t link = 0; link < 3; ++link) {
        EXPECT_FALSE(view->tapLink(link)) << link;
        EXPECT_EQ(currentFile(), "links.html") << link;
    }
    EXPECT_FALSE(view->submitForm(fileRequest(folder / "c.html")));
    EXPECT_EQ(recorder->questions.size(), 5u);
    EXPECT_TRUE(view->tapLink(3));
    EXPECT_EQ(view->request()->url().absoluteString(), "http://x.org/");
}

// Whatever a page holds, what is laid out stays within the bounds.
TEST(HTMLBoundsTest, PagesAreCutToTheirBoundsAndOrdinaryPagesKeptAsWritten) {
    using platform::HTMLBounds;
    const auto repeated = [](std::string_view piece, std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) text += piece;
        return text;
    };
    const std::string deep = repeated("<div>", 30) + "x" + repeated("</div>", 30);
    const struct {
        const char* name;
        std::string html;
        std::string bounded;
        bool cut;
    } cases[] = {
        {"ordinary", "<p a='>'>x<br>y</p>", "<p a='>'>x<br>y</p>", false},
        {"comment", "a<!-- <b> -->c", "ac", false},
        {"deep", deep, repeated("<div>", 24) + "x" + repeated("</div>", 24), true},
        {"unclosed", repeated("<b>", 30) + "x", repeated("<b>", 24) + "x", true},
        {"stray_end_tags", "</p></div>x", "x", false},
        {"nested_tables", repeated("<table><tr><td>", 5) + "x",
         repeated("<table><tr><td>", 3) + "x", true},
        {"raw_text", "<style>a</b>{}</style>x", "<style>a</b>{}</style>x", false},
        {"many_elements", repeated("<br>", 251), repeated("<br>", 250), true},
        {"long_words_get_breaks", std::string(40, 't') + " &amp;" + std::string(31, 'u') + "é",
         std::string(32, 't') + "\u200B" + std::string(8, 't') + " &amp;" + std::string(27, 'u') +
             "\u200B" + "uuuu\u00e9",
         false},
        {"much_text", repeated("text ", 4000), repeated("text ", 819) + "t", true},
        {"tag_never_ends", "x<a href='y", "x", true},
    };
    for (const auto& c : cases) {
        const auto page = HTMLBounds::bound(c.html);
        EXPECT_EQ(page.html, c.bounded) << c.name;
        EXPECT_EQ(page.cut, c.cut) << c.name;
    }
}

}  // namespace
