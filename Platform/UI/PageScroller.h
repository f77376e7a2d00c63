#pragma once

#include <memory>

namespace platform {

class ScrollView;
class View;

// The keyboard's scrolling: a page up or down, to the top or the end of a
// list or scroll view, and just far enough to show a focused control.
class PageScroller {
  public:
    enum class Step { kPageUp, kPageDown, kHome, kEnd };

    // Scrolls `view` by a screenful (its visible height) or to an end.
    static void scroll(ScrollView& view, Step step);
    // Scrolls the nearest scroll view around `view` the least amount that
    // shows `view` whole with `margin` points around it (or its top, when it
    // is taller than the scroll view).
    static void scrollToShow(const View& view, double margin = 0);
    // What the keys scroll on `page`: the scroll view around `focused` (or
    // `focused` itself) when there is one, else the page's first shown
    // scroll view; null when the page has none.
    static std::shared_ptr<ScrollView> scrollViewFor(View& page, View* focused);
};

}  // namespace platform
