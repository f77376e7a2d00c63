#pragma once

#include "Platform/UI/PointerGesture.h"

#include <memory>

namespace platform {

class Application;
class HostWindow;
class InputRouter;
class InteractionFeedback;
class View;

// The window's side of the pointer gesture: window points map onto the pages
// through the canvas scale (a point on the margin lands nowhere), the held
// control shows through the window's feedback, and a tap goes to the router.
// Like the touch screen the pages were made for, the window takes no taps while
// a page slides in or out: such a tap is dropped, not kept for later.
//
// Lifetime: a member of the window, which outlives it; the key window is found
// through the application at each call.
class WindowPointerSurface final : public PointerGesture::Surface {
  public:
    WindowPointerSurface(HostWindow& window, Application& application, InputRouter& router,
                         InteractionFeedback& feedback)
        : m_window(window), m_application(application), m_router(router), m_feedback(feedback) {}

    double scale() const override;
    std::shared_ptr<ScrollView> scrollViewAt(Point point) override;
    void pressBegan(Point point) override;
    void pressMoved(Point point, bool dragging) override;
    void pressEnded() override;
    PointerGesture::Tap tap(Point point) override;
    void redraw() override;

  private:
    static bool isPageSliding(View& root);

    HostWindow& m_window;
    Application& m_application;
    InputRouter& m_router;
    InteractionFeedback& m_feedback;
};

}  // namespace platform
