#include "Switch.h"

#include "LayoutAttributes.h"

namespace platform {

void Switch::describeLayoutAttributes(LayoutAttributes<Switch>& attributes) {
    attributes.flag("on", [](Switch& control, bool on) { control.setOn(on); })
        .action("action", &Switch::setAction);
}

}  // namespace platform
