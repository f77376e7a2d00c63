#include "WindowPointerSurface.h"

#include "InputRouter.h"
#include "InteractionFeedback.h"
#include "Platform/Foundation/RunLoop.h"
#include "Platform/Host/Paint/PageTransitions.h"
#include "Platform/Host/Window/HostWindow.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/NavigationSites.h"
#include "Platform/UI/ScrollView.h"
#include "Platform/UI/Window.h"

#include <QPointF>

#include <algorithm>

namespace platform {
namespace {

QPointF toQt(Point point) {
    return {point.x, point.y};
}

}  // namespace

bool WindowPointerSurface::isPageSliding(View& root) {
    const double instant = RunLoop::main().now();
    const NavigationSites sites(root);
    return std::any_of(sites.all().begin(), sites.all().end(), [instant](const auto& site) {
        return PageTransitions::isSliding(*site.controller, instant);
    });
}

double WindowPointerSurface::scale() const {
    return m_window.canvasScale().scale();
}

std::shared_ptr<ScrollView> WindowPointerSurface::scrollViewAt(Point point) {
    auto root = m_application.keyWindowPointer();
    const auto modelPoint = m_window.canvasScale().toModel(toQt(point));
    return root && modelPoint ? m_router.scrollViewAt(*root, *modelPoint) : nullptr;
}

void WindowPointerSurface::pressBegan(Point point) {
    auto root = m_application.keyWindowPointer();
    if (!root) return;
    const CanvasScale placement = m_window.canvasScale();
    // The held control is looked up in canvas points; a press on the margin holds nothing.
    const bool onCanvas = placement.toModel(toQt(point)).has_value();
    m_feedback.press().begin(*root, placement.widgetToModel().map(toQt(point)),
                             onCanvas && !isPageSliding(*root));
    if (m_feedback.press().isHolding()) m_window.update();
}

void WindowPointerSurface::pressMoved(Point point, bool dragging) {
    auto root = m_application.keyWindowPointer();
    if (!root) return;
    const bool wasHolding = m_feedback.press().isHolding();
    m_feedback.press().move(*root, m_window.canvasScale().widgetToModel().map(toQt(point)),
                            dragging);
    if (wasHolding != m_feedback.press().isHolding()) m_window.update();
}

void WindowPointerSurface::pressEnded() {
    m_feedback.press().end();
}

PointerGesture::Tap WindowPointerSurface::tap(Point point) {
    auto root = m_application.keyWindowPointer();
    if (!root || isPageSliding(*root)) return {};
    const auto modelPoint = m_window.canvasScale().toModel(toQt(point));
    if (!modelPoint) return {};
    const auto requestsBefore = m_application.openURLRequestCount();
    const auto failuresBefore = m_application.openURLFailureCount();
    PointerGesture::Tap done{m_router.tap(*root, *modelPoint), false};
    done.openedURL = m_application.openURLRequestCount() != requestsBefore;
    // The log has the address; the user, who saw nothing happen, hears why.
    if (m_application.openURLFailureCount() != failuresBefore) {
        m_window.dialogs().tell("No Web Browser",
                                "The link could not be opened: no web browser is set up on this "
                                "computer.");
    }
    // Assistive technology reads the page's own nodes (AccessibleWindow) and
    // hears the selected row; the window keeps the application's name.
    m_window.keyboardFocus().afterRoutedInput();
    m_window.update();
    // A tap often starts an animation; the timer must run before the next paint.
    m_window.updateFrameTimer();
    return done;
}

void WindowPointerSurface::redraw() {
    m_window.update();
}

}  // namespace platform
