#include "WebView.h"

#include "HTMLBounds.h"
#include "HTMLLinkScanner.h"
#include "LayoutAttributes.h"
#include "Platform/Foundation/FileContents.h"
#include "Platform/Foundation/Log.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace platform {

namespace {

bool equalsNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// A URL without a scheme is a path; "file" URLs are local too.
bool isLocal(const URL& url) {
    return !url.scheme() || equalsNoCase(*url.scheme(), "file");
}

// The page as it is laid out, or nothing when the file is missing, not a
// regular file (never blocking on a FIFO) or too large.
std::optional<std::string> readPage(const std::filesystem::path& file) {
    auto contents = readFileContents(file, WebView::kMaximumPageBytes);
    if (contents.tooLarge()) {
        LogOnce("WebView: page " + file.string() + " is " + sizeText(contents.size) +
                ", over the " + sizeText(WebView::kMaximumPageBytes) +
                " a page may have; it is not shown");
    }
    if (!contents.bytes) return std::nullopt;
    HTMLBounds::Page page = HTMLBounds::bound(*contents.bytes);
    if (page.cut) {
        LogOnce("WebView: page " + file.string() + " is nested deeper than " +
                std::to_string(HTMLBounds::kMaximumDepth) + " elements or " +
                std::to_string(HTMLBounds::kMaximumTableDepth) + " tables or holds more than " +
                std::to_string(HTMLBounds::kMaximumElements) + " elements or " +
                sizeText(HTMLBounds::kMaximumTextBytes) + " of text; the rest is not shown");
    }
    return std::move(page.html);
}

// An href as a URL: absolute ones as written; relative ones are file paths
// against the page's folder (or the page itself for "" and "#fragment"), as
// file URLs. Query and fragment of a relative link are dropped: a local file
// has no use for them.
std::optional<URL> resolveLink(const std::string& href, const std::filesystem::path& pageFile) {
    const auto parsed = URL::URLWithString(href);
    if (parsed && parsed->scheme()) return parsed;
    const std::string path =
        parsed ? parsed->path() : href.substr(0, std::min(href.find('#'), href.find('?')));
    if (path.empty()) return URL::fileURLWithPath(pageFile.string());
    std::filesystem::path target(path);
    if (target.is_relative()) target = pageFile.parent_path() / target;
    return URL::fileURLWithPath(target.lexically_normal().string());
}

}  // namespace

void WebView::loadRequest(const URLRequest& request) {
    navigate(request, kWebViewNavigationTypeOther);
}

bool WebView::navigate(const URLRequest& request, int navigationType) {
    const bool sameAsCurrent = m_request && *m_request == request;
    return startNavigation(request, navigationType,
                           sameAsCurrent ? HistoryStep::kReload : HistoryStep::kNew);
}

bool WebView::tapLink(std::size_t index) {
    if (index >= m_links.size()) return false;
    const URLRequest request(m_links[index].url);  // a copy: the load replaces the links
    return navigate(request, kWebViewNavigationTypeLinkClicked);
}

bool WebView::submitForm(const URLRequest& request) {
    return navigate(request, kWebViewNavigationTypeFormSubmitted);
}

bool WebView::canGoBack() const {
    return !m_backList.empty();
}

bool WebView::canGoForward() const {
    return !m_forwardList.empty();
}

void WebView::goBack() {
    if (!canGoBack()) return;
    const URLRequest target = m_backList.back();
    startNavigation(target, kWebViewNavigationTypeBackForward, HistoryStep::kBack);
}

void WebView::goForward() {
    if (!canGoForward()) return;
    const URLRequest target = m_forwardList.back();
    startNavigation(target, kWebViewNavigationTypeBackForward, HistoryStep::kForward);
}

void WebView::reload() {
    if (!m_request) return;
    const URLRequest current = *m_request;
    startNavigation(current, kWebViewNavigationTypeReload, HistoryStep::kReload);
}

std::vector<std::filesystem::path> WebView::resourceFolders() const {
    if (!m_resourceFolders.empty()) return m_resourceFolders;
    if (m_baseDirectory) return {*m_baseDirectory};
    return {};
}

bool WebView::startNavigation(const URLRequest& request, int navigationType, HistoryStep step) {
    // The delegate may release the page that owns this view; keep it until done.
    auto keepAlive = weak_from_this().lock();
    const auto attempt = ++m_navigationAttempts;
    if (auto delegate = m_delegate.lock()) {
        if (!delegate->webViewShouldStartLoadWithRequest(*this, request, navigationType)) {
            return false;
        }
        if (m_navigationAttempts != attempt) return false;
    }
    const bool fromThePage = navigationType == kWebViewNavigationTypeLinkClicked ||
                             navigationType == kWebViewNavigationTypeFormSubmitted;
    if (fromThePage && !m_loadsLocalLinks && isLocal(request.url())) return false;

    switch (step) {
        case HistoryStep::kNew:
            if (m_request) m_backList.push_back(*m_request);
            m_forwardList.clear();
            break;
        case HistoryStep::kBack:
            if (m_request) m_forwardList.push_back(*m_request);
            if (!m_backList.empty()) m_backList.pop_back();
            break;
        case HistoryStep::kForward:
            if (m_request) m_backList.push_back(*m_request);
            if (!m_forwardList.empty()) m_forwardList.pop_back();
            break;
        case HistoryStep::kReload:
            break;
    }
    load(request);

    if (auto delegate = m_delegate.lock()) delegate->webViewDidFinishLoad(*this);
    return true;
}

void WebView::load(const URLRequest& request) {
    m_request = request;
    ++m_loadCount;
    const URL& url = request.url();
    // Nothing is fetched from the network: a page from elsewhere becomes the
    // current request while the page on show, and its links, stay as they were,
    // rather than a banner turning into a bare address for good.
    if (!isLocal(url) && !m_html.empty()) return;
    m_html.clear();
    m_links.clear();
    m_baseDirectory.reset();
    if (!isLocal(url)) return;  // nothing was on show: the host shows the address
    const std::string path = url.path();
    if (path.empty()) return;
    std::error_code error;
    const auto file = std::filesystem::absolute(path, error);
    if (error) return;
    auto html = readPage(file);
    if (!html) return;  // a missing file is an empty page

    m_html = std::move(*html);
    m_baseDirectory = file.parent_path();
    for (auto& link : HTMLLinkScanner::scan(m_html)) {
        if (auto resolved = resolveLink(link.href, file)) {
            m_links.push_back({std::move(link.href), std::move(link.text), std::move(*resolved)});
        }
    }
}

void WebView::describeLayoutAttributes(LayoutAttributes<WebView>& attributes) {
    attributes.owner<WebViewDelegate>("delegate", "a web view delegate", &WebView::setDelegate);
}

}  // namespace platform
