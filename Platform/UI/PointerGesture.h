#pragma once

#include "Platform/Graphics/Geometry.h"

#include <memory>
#include <optional>
#include <string>

namespace platform {

class ScrollView;

// What the left mouse button does on the window, followed in the window's own
// coordinates (before the canvas scale). A press is a tap until it moves
// kDragThreshold away from where it started; from then on it is a drag, and the
// scroll view under its start follows the pointer (dragging down shows what is
// above). Releasing a press that never became a drag taps where it is released;
// releasing a drag taps nothing. The wheel scrolls the view under the pointer.
//
// The gesture holds no window: what lies under a point, the pressed look of the
// held control, the tap itself and drawing again are its Surface's.
class PointerGesture {
  public:
    // In window coordinates: the hand's distance on screen, whatever the scale.
    static constexpr double kDragThreshold = 6.0;
    // Canvas points per wheel notch: a notch moves the same content at every scale.
    static constexpr double kWheelStep = 40.0;
    // The angle of one wheel notch, as the mouse reports it (eighths of a degree).
    static constexpr double kWheelNotch = 120.0;

    // What a tap did.
    struct Tap {
        // The accessibility name of what took it; none when nothing did.
        std::optional<std::string> takenBy;
        // Whether it handed a URL to another program.
        bool openedURL = false;
    };

    // The window the gesture acts on. Points are in window coordinates.
    class Surface {
      public:
        virtual ~Surface() = default;
        // Window coordinates per canvas point.
        virtual double scale() const = 0;
        // The scroll view that a drag or a wheel turn at `point` moves; null for none.
        virtual std::shared_ptr<ScrollView> scrollViewAt(Point point) = 0;
        // The control under the pointer shows held while the press stays on it.
        virtual void pressBegan(Point point) = 0;
        virtual void pressMoved(Point point, bool dragging) = 0;
        virtual void pressEnded() = 0;
        virtual Tap tap(Point point) = 0;
        // What is shown changed.
        virtual void redraw() = 0;
    };

    explicit PointerGesture(Surface& surface) : m_surface(surface) {}

    void press(Point point);
    void move(Point point);
    void release(Point point);
    // The second press of a double click. The platform reports it as a press
    // and then as this, or as this alone, which then starts the press itself.
    // On the phone a tap that opens a URL leaves the application, so the second
    // tap of a double tap never lands: releasing the second press after the
    // first tap opened a URL taps nothing (one activation per click).
    void doubleClick(Point point);
    // A wheel turn at `point`: `pixels` from a touchpad (window coordinates, the
    // fingers' way on screen), else `angle` in notches of kWheelNotch. A turn
    // away from the user (positive) shows what is above. Returns whether a view
    // scrolled.
    bool wheel(Point point, Point pixels, Point angle);
    // Taps at `point` now, as releasing a press there does; returns what took it.
    std::optional<std::string> tap(Point point);
    // Forgets the press being followed without tapping (the pages were replaced).
    void cancel() { m_press.reset(); }

    bool isPressed() const { return m_press.has_value(); }
    bool isDragging() const { return m_press && m_press->dragging; }

  private:
    struct Press {
        Point start;
        Point last;
        bool dragging = false;
        std::weak_ptr<ScrollView> scrollView;
        bool secondOfDoubleClick = false;
    };

    Surface& m_surface;
    std::optional<Press> m_press;
    // Whether the last tap handed a URL to another program.
    bool m_lastTapOpenedURL = false;
};

}  // namespace platform
