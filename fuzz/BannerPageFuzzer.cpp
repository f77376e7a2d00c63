// A banner page from anyone, as a web view reads it: bounded first, then
// scanned for links. What is laid out is never much larger than the page (a
// lone "<" becomes "&lt;"), and it is already within the bounds: bounding it
// again cuts nothing.
#include "FuzzWorkspace.h"
#include "Platform/UI/HTMLBounds.h"
#include "Platform/UI/HTMLLinkScanner.h"
#include "Platform/UI/WebView.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

fuzzsupport::Workspace& workspace() {
    static fuzzsupport::Workspace instance;
    return instance;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view html(reinterpret_cast<const char*>(data), size);
    const auto page = platform::HTMLBounds::bound(html);
    require(page.html.size() <= 4 * html.size());
    require(!platform::HTMLBounds::bound(page.html).cut);
    (void)platform::HTMLLinkScanner::scan(page.html);

    // The same bytes as a page file, loaded and with every link tapped.
    const auto file = workspace().folder / "ad.html";
    fuzzsupport::writeFile(file, html);
    auto view = std::make_shared<platform::WebView>();
    view->setLoadsLocalLinks(false);
    view->loadRequest(platform::URLRequest(platform::URL::fileURLWithPath(file.string())));
    require(view->html().size() <= 4 * html.size());
    const std::size_t links = view->links().size();
    for (std::size_t link = 0; link < links && link < 8; ++link) {
        view->tapLink(link);
        view->goBack();
    }
    return 0;
}
