#pragma once

#include "NavigationBarLayout.h"

#include <optional>

namespace platform {

class Button;
class NavigationController;
class ScrollView;
class View;

// What the host shows over the model while the user acts on it: the control
// held under the mouse, scroll indicators, a playing sound's progress. The
// model knows none of it; painters ask here as they draw. This base shows
// nothing (drawing without a window, as the screenshot tour does).
class PaintFeedback {
  public:
    virtual ~PaintFeedback() = default;

    // Whether `view` (a button or a table row's cell) is held down now.
    virtual bool isPressed(const View& /*view*/) const { return false; }
    // The part of `stack`'s navigation bar held down now; kNone when none.
    virtual NavigationBarLayout::Part pressedBarPart(const NavigationController& /*stack*/) const {
        return NavigationBarLayout::Part::kNone;
    }
    // How strongly `scrollView`'s scroll indicators show, 0 (not at all) to 1.
    virtual double scrollIndicatorOpacity(const ScrollView& /*scrollView*/) const { return 0.0; }
    // How far the sound `button` plays has got; none when it does not play.
    virtual std::optional<double> playbackProgress(const Button& /*button*/) const {
        return std::nullopt;
    }

    // The feedback that shows nothing.
    static const PaintFeedback& none();
};

}  // namespace platform
