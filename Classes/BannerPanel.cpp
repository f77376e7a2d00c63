#include "Classes/BannerPanel.h"

#include "Platform/Foundation/Bundle.h"
#include "Platform/UI/Application.h"

void BannerPanel::load(platform::WebView* banner) {
    if (banner == nullptr) return;
    auto bundle = platform::Bundle::mainBundle();
    if (!bundle) return;
    auto path = bundle->pathForResource("ad", "html");
    if (!path) return;
    auto url = platform::URL::URLWithString(*path);
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
