#pragma once

#include "Action.h"
#include "View.h"

namespace platform {

template <class T>
class LayoutAttributes;

// An on/off switch. setOn from code never runs the action; a user's toggle does.
class Switch : public View {
  public:
    using View::View;
    std::string_view typeName() const override { return "Switch"; }

    // The attributes layouts may give this type beyond those of every view.
    static void describeLayoutAttributes(LayoutAttributes<Switch>& attributes);

    bool isOn() const { return m_on; }
    void setOn(bool on, bool animated = false) {
        (void)animated;
        m_on = on;
    }
    // Value-changed action, connected by the layout.
    void setAction(Action action) { m_action = std::move(action); }
    // The user flips the switch: the value changes, then the action runs.
    void toggle() {
        m_on = !m_on;
        m_action();
    }
    void tapAt(Point) override { toggle(); }
    bool acceptsTaps() const override { return true; }

  private:
    bool m_on = false;
    Action m_action;
};

}  // namespace platform
