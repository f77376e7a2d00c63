#include "FocusRing.h"

#include "Platform/UI/Object.h"

#include <algorithm>

namespace platform {

std::optional<PageNode> FocusRing::focused(const PageContents& contents) {
    if (!m_node) return std::nullopt;
    const auto page = m_page.lock();
    const auto* entry = contents.find(*m_node);
    if (!page || page != contents.page() || entry == nullptr || !entry->focusable) {
        clear();
        return std::nullopt;
    }
    return m_node;
}

std::optional<PageNode> FocusRing::move(const PageContents& contents, int step) {
    const std::vector<int> stops = contents.focusOrder();
    const auto current = focused(contents);
    if (stops.empty()) {
        clear();
        return std::nullopt;
    }
    const auto count = static_cast<std::ptrdiff_t>(stops.size());
    std::ptrdiff_t next = step > 0 ? 0 : count - 1;
    if (current) {
        const auto at = std::find_if(stops.begin(), stops.end(), [&](int position) {
            return contents.entries()[static_cast<std::size_t>(position)].node == *current;
        });
        if (at != stops.end()) next = ((at - stops.begin()) + (step > 0 ? 1 : -1) + count) % count;
    }
    m_page = contents.page();
    m_node =
        contents.entries()[static_cast<std::size_t>(stops[static_cast<std::size_t>(next)])].node;
    return m_node;
}

bool FocusRing::focusOn(const PageContents& contents, const PageNode& node) {
    const auto* entry = contents.find(node);
    if (entry == nullptr || !entry->focusable) return false;
    m_page = contents.page();
    m_node = node;
    return true;
}

void FocusRing::clear() {
    m_page.reset();
    m_node.reset();
}

}  // namespace platform
