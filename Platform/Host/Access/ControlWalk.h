#pragma once

#include "PageContents.h"

#include <QAccessible>
#include <QRectF>

namespace platform {

class TableView;
class WebContentCache;
class WebView;

// What the walk through a page offers the adapter of the one view it is at
// (see ViewPainter::describe): the view's entry, and the rows and links that
// stand below it. The view's name comes from its accessibility label.
class ControlWalk {
  public:
    virtual ~ControlWalk() = default;

    // Adds the view's entry with `role`. The reference holds until the next
    // entry is added (addRows, addLinks): set what it says first.
    virtual PageContents::Entry& addEntry(QAccessible::Role role) = 0;
    // The shown rows of `table` (and their section headings), below `entry`.
    virtual void addRows(TableView& table, const PageContents::Entry& entry) = 0;
    // The links of `web`, below `entry`.
    virtual void addLinks(WebView& web, const PageContents::Entry& entry) = 0;
    // The view's frame in window coordinates.
    virtual QRectF frame() const = 0;
    virtual WebContentCache& web() = 0;
};

}  // namespace platform
