#include "Classes/BannerPanel.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/UI/Application.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

void BannerPanel::load(platform::WebView* banner) {
    if (banner == nullptr) return;
    auto bundle = platform::Bundle::mainBundle();
    if (!bundle) return;
    auto path = bundle->pathForResource("ad", "html");
    if (!path) return;
    // A banner comes with a board, from anyone: its pictures come from the
    // board or the application bundle only, and its links to local files do
    // not load the user's files into it.
    std::vector<std::filesystem::path> folders{bundle->realPath()};
    if (const auto& application = bundle->applicationBundle()) {
        folders.push_back(application->realPath());
    }
    banner->setResourceFolders(std::move(folders));
    banner->setLoadsLocalLinks(false);
    // Escaped where the path holds what a URL would read otherwise ("#", "?", "%41"),
    // so the URL names exactly the file; an ordinary path is its own URL text.
    auto url = platform::URL::URLWithString(platform::URL::pathText(*path));
    if (!url) url = platform::URL::fileURLWithPath(*path);
    banner->loadRequest(platform::URLRequest::requestWithURL(*url));
}

bool BannerPanel::shouldStartLoadWithRequest(const platform::URLRequest& request,
                                             int navigationType) {
    // Schemes are case-insensitive: "HTTP://" is as much the web as "http://".
    const auto& scheme = request.url().scheme();
    const auto is = [&scheme](std::string_view name) {
        return scheme && std::equal(scheme->begin(), scheme->end(), name.begin(), name.end(),
                                    [](char a, char b) {
                                        return std::tolower(static_cast<unsigned char>(a)) == b;
                                    });
    };
    bool qualifies = is("http") || is("https");
    if (qualifies && navigationType == platform::kWebViewNavigationTypeLinkClicked) {
        bool opened = platform::Application::sharedApplication().openURL(request.url());
        return !opened;
    }
    return true;
}
