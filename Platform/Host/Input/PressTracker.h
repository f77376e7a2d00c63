#pragma once

#include "Platform/Host/Paint/NavigationBarLayout.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/View.h"

#include <QPointF>

#include <memory>
#include <optional>

namespace platform {

// The control a mouse press holds down: a button, a table row or a navigation
// bar button. It shows pressed while the pointer stays on it and a release
// would still be a click there; moving off it, or the press turning into a
// drag, lets go of it. Points are in window coordinates.
//
// Lifetime: holds the pressed view and bar weakly; what goes away while held
// simply stops showing pressed.
class PressTracker {
  public:
    // A press starting at `point`. `takesInput` is false while the window drops
    // clicks (a page slides): such a press holds nothing.
    void begin(View& root, QPointF point, bool takesInput);
    // The pointer moved to `point`; `dragging` once the press is a drag.
    void move(View& root, QPointF point, bool dragging);
    // The press ended or was abandoned.
    void end();

    // Whether something shows pressed now.
    bool isHolding() const { return m_target.has_value() && m_onTarget; }
    bool isPressed(const View& view) const;
    NavigationBarLayout::Part pressedBarPart(const NavigationController& stack) const;

  private:
    struct Target {
        std::weak_ptr<Object> view;  // a button or a row's cell
        std::weak_ptr<NavigationController> stack;
        NavigationBarLayout::Part part = NavigationBarLayout::Part::kNone;
        bool operator==(const Target& other) const;
    };
    // What a click at `point` would land on, if it is something that shows pressed.
    static std::optional<Target> targetAt(View& root, QPointF point);
    static std::optional<Target> barTargetAt(View& root, QPointF point, bool& onBar);

    std::optional<Target> m_target;
    bool m_onTarget = false;
};

}  // namespace platform
