#pragma once

#include "Platform/Foundation/URLRequest.h"
#include "Platform/UI/WebView.h"

// The small web banner of the main, favourites and play pages: the bundle page
// "ad.html", and the rule that hands links the user taps in it to the system.
namespace BannerPanel {
// Starts `banner` afresh on the bundle's ad.html. The URL is the path text
// itself (no scheme), escaped only where a URL would read the path otherwise
// (a blank, "#", "?", "%", non-ASCII), so it names exactly the file in any
// folder. Without ad.html, or without a banner, nothing is loaded.
void load(platform::WebView* banner);

// The link policy: a tapped (navigation type 0) link whose scheme is
// "http" or "https", in any letter case, is handed to the system; when the system took it the
// banner does not load it (false), when it refused the banner loads it
// itself (true). Everything else loads (true).
bool shouldStartLoadWithRequest(const platform::URLRequest& request, int navigationType);
}  // namespace BannerPanel
