#pragma once

#include "Platform/Host/Paint/PaintFeedback.h"
#include "Platform/UI/ScrollIndicators.h"
#include "PressTracker.h"

#include <cstdint>
#include <set>

namespace platform {

// The window's feedback: the held control, the scroll indicators and the
// progress of playing sounds on the buttons that play them. The window tells it
// about presses and frames; painters read it while a frame is drawn.
//
// Timing: every question is answered at the instant of the frame being drawn
// (the run loop's clock), so with a manual clock it moves only with the clock.
class InteractionFeedback final : public PaintFeedback {
  public:
    PressTracker& press() { return m_press; }

    // Called before each frame is drawn, at the frame's instant.
    void beginFrame(const View& root, double now);
    // Whether frames must keep coming at `now` (an indicator fades, a sound
    // shown on a button still plays); false leaves the window idle.
    bool needsFrames(double now) const;

    bool isPressed(const View& view) const override { return m_press.isPressed(view); }
    NavigationBarLayout::Part pressedBarPart(const NavigationController& stack) const override {
        return m_press.pressedBarPart(stack);
    }
    double scrollIndicatorOpacity(const ScrollView& scrollView) const override {
        return m_indicators.opacity(scrollView, m_now);
    }
    std::optional<double> playbackProgress(const Button& button) const override;

  private:
    PressTracker m_press;
    ScrollIndicators m_indicators;
    double m_now = 0;
    // The sounds whose progress the last frame showed.
    mutable std::set<std::uint32_t> m_shownSounds;
};

}  // namespace platform
