#pragma once

#include "Platform/Host/Access/PageContents.h"
#include "Platform/UI/PageNode.h"

#include <memory>
#include <optional>

namespace platform {

class Object;

// Which thing of the shown page has the keyboard focus: none until the first
// Tab, then one of the page's focusable nodes (PageContents::focusOrder).
// The focus belongs to the page it was set on: once another page shows (or
// the focused thing has gone, a panel slid away), there is none again.
//
// Lifetime: keeps the page weakly, only to tell it from the next one.
class FocusRing {
  public:
    // The focused node on the page `contents` describes, or none.
    std::optional<PageNode> focused(const PageContents& contents);
    // Moves `step` stops on (+1 Tab, -1 Shift+Tab), wrapping around the ends;
    // from no focus, Tab goes to the first stop and Shift+Tab to the last.
    // Returns the new focus; none when the page has no stops.
    std::optional<PageNode> move(const PageContents& contents, int step);
    // Puts the focus on `node` when it is one of the page's stops.
    bool focusOn(const PageContents& contents, const PageNode& node);
    void clear();
    // Whether some node was given the focus (it may have gone since).
    bool isSet() const { return m_node.has_value(); }

  private:
    std::weak_ptr<Object> m_page;
    std::optional<PageNode> m_node;
};

}  // namespace platform
