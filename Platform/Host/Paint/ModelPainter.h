#pragma once

#include "Platform/UI/NavigationSites.h"
#include "ViewPainters.h"

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace platform {

class PageTransitions;
class WebContentCache;

// Draws the UI model as it stands at one instant: presentation frames and
// alphas, so running animations show their current step. The whole tree is
// drawn on every frame; the model is small and this keeps the host stateless.
// Each view is drawn by the painter of its type (ViewPainters); this class
// draws what belongs to no view type: navigation stacks, their bars and slides.
class ModelPainter {
  public:
    ModelPainter(WebContentCache& web, const PageTransitions& transitions)
        : m_web(web), m_transitions(transitions) {}

    // The colour around the canvas when the window is larger than it: the
    // navigation bar's, so the margin reads as part of the frame.
    static QColor marginColour();

    // Draws the tree under `root` (the window) into `painter`, whose origin is
    // the window's top-left corner. `pageShake` moves the pages of the
    // navigation stacks sideways (the vibration's shake).
    void paint(QPainter& painter, const View& root, const NavigationSites& sites, double now,
               double pageShake);
    // What painters show over the model; none when null. Must outlive the painter.
    void setFeedback(const PaintFeedback* feedback) { m_feedback = feedback; }

  private:
    class Scene;
    void paintView(QPainter& painter, const View& view, Scene& scene, bool highlighted);
    void paintSubviews(QPainter& painter, const View& view, Scene& scene, bool highlighted);
    void paintStack(QPainter& painter, const NavigationSite& site, Scene& scene);
    void paintBar(QPainter& painter, const NavigationSite& site, Scene& scene);

    WebContentCache& m_web;
    const PageTransitions& m_transitions;
    ViewPainters m_painters;
    const PaintFeedback* m_feedback = nullptr;
};

}  // namespace platform
