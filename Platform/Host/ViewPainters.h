#pragma once

#include "ViewPainter.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

class View;

// One painter per view type, found by the view's type name: a view whose class
// adds no name of its own (a subclass of Button) is drawn as its base type, and
// a type without a painter of its own (Window, TableViewCell) as a plain view.
class ViewPainters {
  public:
    ViewPainters();

    const ViewPainter& forView(const View& view) const;

  private:
    ViewPainter m_plain;
    std::map<std::string, std::unique_ptr<ViewPainter>, std::less<>> m_byType;
};

}  // namespace platform
