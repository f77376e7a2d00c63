#pragma once

#include "Action.h"
#include "LayoutRegistry.h"
#include "View.h"

#include <memory>
#include <string_view>

namespace platform {

class Bundle;

// Reads page layouts (`<Name>.layout` in a bundle) and builds the view tree
// they describe. Every failure is reported as exactly one log line naming the
// file and the problem, and yields nothing; a failed load connects nothing to
// its owner. The main window layout has a loader of its own (MainWindowLoader).
class LayoutLoader {
  public:
    // What a page layout made and marked.
    struct Page {
        std::shared_ptr<View> view;  // null when the load failed
        // The owner's action the layout marks as the page's default
        // (defaultAction="name"); empty when it marks none.
        Action defaultAction;
        // The first control of the tree whose action is the default one, or null.
        std::shared_ptr<View> defaultControl;
    };

    // The view tree of page layout `name` of `bundle` (null: the main bundle),
    // with outlets, actions and delegates connected to `owner`, which `info` describes.
    static Page loadPageLayout(std::string_view name, const std::shared_ptr<Bundle>& bundle,
                               Object& owner, const LayoutClassInfo& info);
};

}  // namespace platform
