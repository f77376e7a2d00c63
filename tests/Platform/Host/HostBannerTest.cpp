// A click on a banner link goes through the page's link policy as a tapped
// link, and from there to the desktop's opener.

#include "HostSession.h"

#include "Classes/MainPage.h"
#include "Platform/Foundation/Log.h"
#include "Platform/Host/Paint/WebContentCache.h"
#include "Platform/Host/Window/DesktopURLOpener.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <optional>

namespace {

using hosttest::Session;

// Where in the window link `index` of `webView` is drawn, found by asking the
// laid-out page what lies under each point of the banner.
std::optional<QPoint> linkPoint(const platform::WebView& webView, std::size_t index) {
    platform::WebContentCache probe;
    const platform::Rect frame = webView.frame();
    std::vector<platform::Point> hits;
    for (int y = 0; y < static_cast<int>(frame.height); ++y) {
        for (int x = 0; x < static_cast<int>(frame.width); ++x) {
            if (probe.linkIndexAt(webView, QPointF(x, y)) == index) {
                hits.push_back({static_cast<double>(x), static_cast<double>(y)});
            }
        }
    }
    if (hits.empty()) return std::nullopt;
    // The middle of the link's area, in scanning order: well inside its text.
    const platform::Point window = webView.convertPointToAncestor(hits[hits.size() / 2], nullptr);
    return QPointF(window.x, window.y).toPoint();
}

std::size_t linesWith(const platform::LogCapture& log, const std::string& part) {
    const auto all = log.messages();
    return static_cast<std::size_t>(
        std::count_if(all.begin(), all.end(),
                      [&part](const auto& line) { return line.find(part) != std::string::npos; }));
}

TEST(HostBannerTest, ClickingALinkHandsItToTheDesktopOrKeepsTheBannerAndSaysWhyWhenRefused) {
    const struct {
        std::size_t link;
        bool openSucceeds;
    } cases[] = {{0, true}, {1, true}, {0, false}};
    for (const auto& item : cases) {
        SCOPED_TRACE("link " + std::to_string(item.link) + (item.openSucceeds ? "" : " refused"));
        hosttest::runSession([&item](Session& session) {
            auto* main = session.topAs<MainPage>();
            ASSERT_NE(main, nullptr);
            auto banner = main->Ad;
            ASSERT_TRUE(banner);
            ASSERT_GT(banner->links().size(), item.link);
            const auto point = linkPoint(*banner, item.link);
            ASSERT_TRUE(point) << "the link is drawn somewhere in the banner";
            const std::string target = banner->links()[item.link].url.absoluteString();
            const int loads = banner->loadCount();
            session.openSucceeds = item.openSucceeds;
            const platform::Rect frame = banner->frame();
            const platform::Point corner = banner->convertPointToAncestor({0, 0}, nullptr);
            const QRect drawn(QPointF(corner.x, corner.y).toPoint(),
                              QSizeF(frame.width, frame.height).toSize());
            const QImage before = session.frame();
            platform::LogCapture log;

            session.click(*point);
            ASSERT_EQ(session.openedURLs, std::vector<std::string>{target});
            // Either way the banner looks as it did, links and all.
            EXPECT_EQ(hosttest::differingPixels(before, session.frame(), drawn), 0);
            EXPECT_EQ(linkPoint(*banner, item.link), point);
            const auto* notice = session.window.dialogs().message();
            if (item.openSucceeds) {
                EXPECT_EQ(banner->loadCount(), loads) << "the banner keeps its page";
                EXPECT_EQ(notice, nullptr);
                EXPECT_EQ(linesWith(log, "Could not open"), 0u);
            } else {
                EXPECT_EQ(banner->loadCount(), loads + 1);
                ASSERT_TRUE(banner->request());
                EXPECT_EQ(banner->request()->url().absoluteString(), target);
                EXPECT_EQ(linesWith(log, "Could not open \"" + target + "\": no program"), 1u);
                ASSERT_NE(notice, nullptr);
                EXPECT_TRUE(notice->text().contains("no web browser is set up"));
            }
        });
    }
}

TEST(HostBannerTest, ClicksBesideTheLinksChangeNothing) {
    hosttest::runSession([](Session& session) {
        auto banner = session.topAs<MainPage>()->Ad;
        const int loads = banner->loadCount();
        // The banner's picture and its heading are not links.
        for (const platform::Point local : {platform::Point{4, 4}, platform::Point{60, 10}}) {
            const auto point = banner->convertPointToAncestor(local, nullptr);
            session.click(QPointF(point.x, point.y).toPoint());
        }
        EXPECT_TRUE(session.openedURLs.empty());
        EXPECT_EQ(banner->loadCount(), loads);
        EXPECT_EQ(session.depth(), 1u);
    });
}

// One activation per click: a double-click on a link hands it to the desktop once, and a
// refused link that the banner loads itself is loaded once. Separate clicks each count.
TEST(HostBannerTest, ADoubleClickOnALinkActivatesItOnce) {
    for (const bool openSucceeds : {true, false}) {
        SCOPED_TRACE(openSucceeds ? "opened" : "refused");
        hosttest::runSession([openSucceeds](Session& session) {
            auto banner = session.topAs<MainPage>()->Ad;
            ASSERT_TRUE(banner);
            const auto point = linkPoint(*banner, 0);
            ASSERT_TRUE(point);
            const int loads = banner->loadCount();
            session.openSucceeds = openSucceeds;

            session.doubleClick(*point);
            EXPECT_EQ(session.openedURLs.size(), 1u);
            EXPECT_EQ(banner->loadCount(), loads + (openSucceeds ? 0 : 1));
            EXPECT_EQ(session.depth(), 1u);
            if (!openSucceeds) return;
            session.click(*point);
            session.click(*point);
            EXPECT_EQ(session.openedURLs.size(), 3u);
        });
    }
}

// The window's opener runs the handler the user named, as the headless one does.
TEST(HostBannerTest, TheWindowsOpenerRunsTheNamedURLHandler) {
    const auto fifo = sbtest::tempDir() / "opened";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto handler = sbtest::tempDir() / "handler";
    sbtest::writeFile(handler, "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" + fifo.string() + "'\n");
    std::filesystem::permissions(handler, std::filesystem::perms::owner_all);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    ::setenv("SOUNDBOARD_URL_HANDLER", handler.c_str(), 1);
    const bool handed = platform::DesktopURLOpener::open(
        *platform::URL::URLWithString("HTTP://www.example.org/sounds"));
    ::unsetenv("SOUNDBOARD_URL_HANDLER");
    EXPECT_TRUE(handed);
    pollfd ready{reader, POLLIN, 0};
    ASSERT_EQ(::poll(&ready, 1, 30'000), 1) << "the handler never ran";
    char text[128] = {};
    const ssize_t count = ::read(reader, text, sizeof text - 1);
    ::close(reader);
    EXPECT_EQ(std::string(text, count > 0 ? static_cast<std::size_t>(count) : 0),
              "HTTP://www.example.org/sounds\n");
}

}  // namespace
