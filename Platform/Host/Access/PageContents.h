#pragma once

#include "Platform/UI/PageNode.h"

#include <QAccessible>
#include <QPointF>
#include <QRectF>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class NavigationController;
class Object;
class View;
class WebContentCache;

// What the window shows now, as the keyboard and assistive technology meet
// it: the outermost navigation stack's bar (back or left button, title, right
// button) and the views of its top page, with table rows and web links as
// children of their table and web view. Plain views without a name are not
// nodes of their own: their children stand in their place. A view that is
// hidden, fully transparent, or lies wholly outside its superview (a panel
// slid away) is not shown; a shown view scrolled out of sight is a node with
// an empty visible rectangle. Only the rows a table has cells for are listed.
//
// Lifetime: made for one question and dropped after it. It holds the views it
// lists (so none goes while it is asked), which is why nothing may keep it.
class PageContents {
  public:
    struct Entry {
        PageNode node;
        int parent = -1;  // the index of the parent entry; -1 for the window
        std::vector<int> children;
        QAccessible::Role role = QAccessible::NoRole;
        std::string name;
        std::string description;
        // What an editable field holds now.
        std::string value;
        // Window (model) coordinates: the whole extent, and the part that shows.
        QRectF frame;
        QRectF visibleRect;
        // Where a click lands when the keyboard activates it.
        QPointF tapPoint;
        bool focusable = false;
        bool checkable = false;
        bool checked = false;
        bool selected = false;
        bool enabled = true;
        // Text the user edits (a text interface for assistive technology).
        bool editable = false;
        // Busy with something that takes time: a button whose sound plays.
        bool busy = false;
        // The view, table or web view; the row's cell; null for the bar's parts.
        std::shared_ptr<View> view;
        // What node.subject names, held while these contents are asked.
        std::shared_ptr<const Object> subject;
    };

    PageContents(View& root, WebContentCache& web);
    ~PageContents();
    PageContents(PageContents&&) noexcept = default;
    PageContents& operator=(PageContents&&) noexcept = default;

    const std::vector<Entry>& entries() const { return m_entries; }
    // The entries whose parent is the window, in reading order.
    const std::vector<int>& topLevel() const { return m_topLevel; }
    std::optional<int> indexOf(const PageNode& node) const;
    const Entry* find(const PageNode& node) const;
    // The focusable entries as Tab visits them: the bar's buttons, then the
    // page's controls, tables and links by position (top to bottom, then left
    // to right; ties in the page's own order).
    std::vector<int> focusOrder() const;
    // What an image reads as where nothing names it: "Settings.png" as "Settings".
    static std::string imageTitle(const std::string& fileName);
    // The page shown: what a change of page is told by. Null without one.
    const std::shared_ptr<Object>& page() const { return m_page; }

  private:
    class Walker;
    class ViewWalk;
    std::vector<Entry> m_entries;
    std::vector<int> m_topLevel;
    std::shared_ptr<Object> m_page;
};

}  // namespace platform
