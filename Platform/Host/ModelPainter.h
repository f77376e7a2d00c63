#pragma once

#include "NavigationSites.h"

#include <QPainter>
#include <QRectF>

namespace platform {

class Button;
class Label;
class PageTransitions;
class TableView;
class TableViewCell;
class WebContentCache;
class WebView;
struct IndexPath;

// Draws the UI model as it stands at one instant: presentation frames and
// alphas, so running animations show their current step. The whole tree is
// drawn on every frame; the model is small and this keeps the host stateless.
class ModelPainter {
  public:
    ModelPainter(WebContentCache& web, const PageTransitions& transitions)
        : m_web(web), m_transitions(transitions) {}

    // Draws the tree under `root` (the window) into `painter`, whose origin is
    // the window's top-left corner. `pageShake` moves the pages of the
    // navigation stacks sideways (the vibration's shake).
    void paint(QPainter& painter, const View& root, const NavigationSites& sites, double now,
               double pageShake);

  private:
    struct Pass {
        const NavigationSites& sites;
        double now;
        double pageShake;
    };
    void paintView(QPainter& painter, const View& view, const Pass& pass, bool highlighted);
    void paintOwnContent(QPainter& painter, const View& view, const QRectF& bounds,
                         bool highlighted);
    void paintSubviews(QPainter& painter, const View& view, const Pass& pass, bool highlighted);
    void paintTable(QPainter& painter, const TableView& table, const Pass& pass);
    void paintCell(QPainter& painter, const TableView& table, IndexPath indexPath,
                   const TableViewCell& cell, const Pass& pass);
    void paintStack(QPainter& painter, const NavigationSite& site, const Pass& pass);
    void paintBar(QPainter& painter, const NavigationSite& site, const Pass& pass);
    void paintWeb(QPainter& painter, const WebView& webView, const QRectF& bounds);
    static void paintLabel(QPainter& painter, const Label& label, const QRectF& bounds,
                           bool highlighted);

    WebContentCache& m_web;
    const PageTransitions& m_transitions;
};

}  // namespace platform
