#pragma once

#include "Platform/Foundation/URLRequest.h"
#include "View.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

template <class T>
class LayoutAttributes;

class WebView;

enum WebViewNavigationType : int {
    kWebViewNavigationTypeLinkClicked = 0,
    kWebViewNavigationTypeFormSubmitted = 1,
    kWebViewNavigationTypeBackForward = 2,
    kWebViewNavigationTypeReload = 3,
    kWebViewNavigationTypeFormResubmitted = 4,
    kWebViewNavigationTypeOther = 5,
};

class WebViewDelegate {
  public:
    virtual ~WebViewDelegate() = default;
    // Asked before every load; false leaves the current page as it is.
    virtual bool webViewShouldStartLoadWithRequest(WebView&, const URLRequest&,
                                                   int /*navigationType*/) {
        return true;
    }
    virtual void webViewDidFinishLoad(WebView&) {}
};

// A link of the loaded page, as the model knows it.
struct WebLink {
    std::string href;  // as written in the page
    std::string text;  // the link's text, tags stripped
    URL url;           // href resolved against the page's URL
};

// A web view over local HTML. A file URL, or a URL without a scheme (a path),
// loads that file's HTML; any other URL becomes the current request while the
// page on show stays (with no page on show, the host shows its address). Keeps back/forward
// history. A local page is read only when it is a regular file of at most kMaximumPageBytes, and is
// cut to HTMLBounds before anything lays it out.
class WebView : public View {
  public:
    using View::View;
    std::string_view typeName() const override { return "WebView"; }

    // The attributes layouts may give this type beyond those of every view.
    static void describeLayoutAttributes(LayoutAttributes<WebView>& attributes);

    void setDelegate(std::weak_ptr<WebViewDelegate> delegate) { m_delegate = std::move(delegate); }

    // Whether a link tapped, or a form submitted, to a local file loads that
    // file (the default). When not, such a navigation still asks the delegate
    // and then leaves the page as it is: a page from elsewhere cannot show the
    // user's files in the view.
    void setLoadsLocalLinks(bool loads) { m_loadsLocalLinks = loads; }
    bool loadsLocalLinks() const { return m_loadsLocalLinks; }
    // The folders the page's pictures may come from, after links are resolved;
    // empty (the default): the loaded page's own folder.
    void setResourceFolders(std::vector<std::filesystem::path> folders) {
        m_resourceFolders = std::move(folders);
    }
    std::vector<std::filesystem::path> resourceFolders() const;

    // Asks the delegate (navigation type 5, other), then loads.
    void loadRequest(const URLRequest& request);
    // The general entry point: asks the delegate with `navigationType`; loads
    // when it answers YES. Returns whether the load happened. A load of another
    // page puts the current one on the back list and clears the forward list;
    // loading the current page again leaves the history as it is. When the
    // delegate starts another navigation from inside its answer, that one wins
    // and this one does not load.
    bool navigate(const URLRequest& request, int navigationType);

    // A user's tap on link `index` of the page (navigation type 0). False when out of range.
    bool tapLink(std::size_t index);
    // A form of the page submitted to `request` (navigation type 1).
    bool submitForm(const URLRequest& request);
    bool canGoBack() const;
    bool canGoForward() const;
    void goBack();     // navigation type 2
    void goForward();  // navigation type 2
    void reload();     // navigation type 3

    const std::optional<URLRequest>& request() const { return m_request; }
    // The HTML of the page on show; empty when none is (only a page from elsewhere
    // was asked for, or the file could not be read).
    const std::string& html() const { return m_html; }
    // The folder of the loaded local file, against which relative links and images resolve.
    const std::optional<std::filesystem::path>& baseDirectory() const { return m_baseDirectory; }
    const std::vector<WebLink>& links() const { return m_links; }
    // How many loads have happened (each accepted navigation counts once).
    int loadCount() const { return m_loadCount; }
    const std::vector<URLRequest>& backList() const { return m_backList; }
    const std::vector<URLRequest>& forwardList() const { return m_forwardList; }

    // Local pages larger than this load as empty pages (and the log says so once).
    static constexpr std::uintmax_t kMaximumPageBytes = 256u << 10;

  private:
    enum class HistoryStep { kNew, kBack, kForward, kReload };
    bool startNavigation(const URLRequest& request, int navigationType, HistoryStep step);
    void load(const URLRequest& request);
    std::uint64_t m_navigationAttempts = 0;
    std::weak_ptr<WebViewDelegate> m_delegate;
    bool m_loadsLocalLinks = true;
    std::vector<std::filesystem::path> m_resourceFolders;
    std::optional<URLRequest> m_request;
    std::string m_html;
    std::optional<std::filesystem::path> m_baseDirectory;
    std::vector<WebLink> m_links;
    std::vector<URLRequest> m_backList;
    std::vector<URLRequest> m_forwardList;
    int m_loadCount = 0;
};

}  // namespace platform
