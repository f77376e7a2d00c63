#include "PointerGesture.h"

#include "ScrollView.h"

#include <cmath>

namespace platform {

void PointerGesture::press(Point point) {
    m_press = Press{point, point, false, {}, false};
    m_press->scrollView = m_surface.scrollViewAt(point);
    m_surface.pressBegan(point);
}

void PointerGesture::move(Point point) {
    if (!m_press) return;
    if (!m_press->dragging) {
        m_press->dragging =
            std::hypot(point.x - m_press->start.x, point.y - m_press->start.y) >= kDragThreshold;
    }
    m_surface.pressMoved(point, m_press->dragging);
    if (!m_press->dragging) return;
    // The threshold is the hand's distance on screen; the scroll is in canvas points.
    const double scale = m_surface.scale();
    const Point delta{(point.x - m_press->last.x) / scale, (point.y - m_press->last.y) / scale};
    m_press->last = point;
    if (auto scrollView = m_press->scrollView.lock()) {
        scrollView->scrollBy(-delta.x, -delta.y);
        m_surface.redraw();
    }
}

void PointerGesture::doubleClick(Point point) {
    if (!m_press) press(point);
    if (m_press) m_press->secondOfDoubleClick = true;
}

void PointerGesture::release(Point point) {
    if (!m_press) return;
    const Press ended = *m_press;
    m_press.reset();
    m_surface.pressEnded();
    m_surface.redraw();
    if (ended.dragging) {
        m_lastTapOpenedURL = false;
        return;
    }
    if (ended.secondOfDoubleClick && m_lastTapOpenedURL) {
        m_lastTapOpenedURL = false;
        return;
    }
    tap(point);
}

bool PointerGesture::wheel(Point point, Point pixels, Point angle) {
    const double scale = m_surface.scale();
    auto scrollView = m_surface.scrollViewAt(point);
    if (!scrollView) return false;
    Point delta{pixels.x / scale, pixels.y / scale};
    if (delta.x == 0 && delta.y == 0) {
        delta = Point{angle.x / kWheelNotch * kWheelStep, angle.y / kWheelNotch * kWheelStep};
    }
    scrollView->scrollBy(-delta.x, -delta.y);
    m_surface.redraw();
    return true;
}

std::optional<std::string> PointerGesture::tap(Point point) {
    m_lastTapOpenedURL = false;
    Tap done = m_surface.tap(point);
    m_lastTapOpenedURL = done.openedURL;
    return std::move(done.takenBy);
}

}  // namespace platform
