#pragma once

#include "ViewPainter.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

class ControlWalk;
class View;

// One adapter per control type, found by the view's type name: its painter,
// and its description (its role, name and value for assistive technology, and
// whether the focus ring stops on it), registered together so that a new
// control is one model class and one row here. A view whose class adds no
// name of its own (a subclass of Button) is taken as its base type, and a
// type without an adapter of its own (Window, TableViewCell) as a plain view.
class ViewPainters {
  public:
    // Adds `view`'s entry (and those of its rows or links) through `walk`;
    // false, adding nothing, for a view not of the adapter's type.
    using Describe = bool (*)(View& view, ControlWalk& walk);

    ViewPainters();

    // The registrations as the page's contents read them: made once, never changed.
    static const ViewPainters& shared();

    const ViewPainter& forView(const View& view) const;
    // Describes `view` as its type does; false for a type without a
    // description (a plain view, a scroll view), which stands for its subviews.
    bool describe(View& view, ControlWalk& walk) const;

  private:
    struct Adapter {
        std::unique_ptr<ViewPainter> painter;
        Describe describe = nullptr;
    };
    void add(std::string typeName, std::unique_ptr<ViewPainter> painter, Describe describe);

    ViewPainter m_plain;
    std::map<std::string, Adapter, std::less<>> m_byType;
};

}  // namespace platform
