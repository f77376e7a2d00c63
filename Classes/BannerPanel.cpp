#include "Classes/BannerPanel.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/UI/Application.h"

void BannerPanel::load(platform::WebView* banner) {
    if (banner == nullptr) return;
    auto bundle = platform::Bundle::mainBundle();
    if (!bundle) return;
    auto path = bundle->pathForResource("ad", "html");
    if (!path) return;
    // Escaped where the path holds what a URL would read otherwise ("#", "?", "%41"),
    // so the URL names exactly the file; an ordinary path is its own URL text.
    auto url = platform::URL::URLWithString(platform::URL::pathText(*path));
    if (!url) url = platform::URL::fileURLWithPath(*path);
    banner->loadRequest(platform::URLRequest::requestWithURL(*url));
}

bool BannerPanel::shouldStartLoadWithRequest(const platform::URLRequest& request,
                                             int navigationType) {
    const auto& scheme = request.url().scheme();
    bool qualifies = scheme && (*scheme == "http" || *scheme == "https");
    if (qualifies && navigationType == platform::kWebViewNavigationTypeLinkClicked) {
        bool opened = platform::Application::sharedApplication().openURL(request.url());
        return !opened;
    }
    return true;
}
