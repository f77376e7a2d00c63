#include "ModelPainter.h"

#include "ControlPainter.h"
#include "DrawnText.h"
#include "NavigationBarLayout.h"
#include "PageTransitions.h"

#include <QFontMetricsF>
#include <QLinearGradient>

namespace platform {
namespace {

const QColor kBarTop(0xb0, 0xbc, 0xcd);
const QColor kBarBottom(0x6d, 0x84, 0xa2);
const QColor kBarEdge(0x2d, 0x36, 0x42);

QRectF boundsOf(const Rect& frame) {
    return QRectF(0, 0, frame.width, frame.height);
}

}  // namespace

// One frame's drawing: the navigation stacks found for it and its instant.
class ModelPainter::Scene final : public PaintScene {
  public:
    Scene(ModelPainter& owner, const NavigationSites& sites, double now, double pageShake)
        : sites(sites), now(now), pageShake(pageShake), m_owner(owner) {}

    void paintView(QPainter& painter, const View& view, bool highlighted) override {
        m_owner.paintView(painter, view, *this, highlighted);
    }
    void paintSubviews(QPainter& painter, const View& view, bool highlighted) override {
        m_owner.paintSubviews(painter, view, *this, highlighted);
    }
    WebContentCache& webContent() override { return m_owner.m_web; }
    const PaintFeedback& feedback() const override {
        return m_owner.m_feedback != nullptr ? *m_owner.m_feedback : PaintFeedback::none();
    }

    const NavigationSites& sites;
    const double now;
    const double pageShake;

  private:
    ModelPainter& m_owner;
};

QColor ModelPainter::marginColour() {
    return kBarBottom;
}

void ModelPainter::paint(QPainter& painter, const View& root, const NavigationSites& sites,
                         double now, double pageShake) {
    Scene scene(*this, sites, now, pageShake);
    paintView(painter, root, scene, false);
}

void ModelPainter::paintView(QPainter& painter, const View& view, Scene& scene, bool highlighted) {
    if (view.isHidden()) return;
    const double alpha = view.presentationAlpha();
    if (alpha <= 0.0) return;
    const Rect frame = view.presentationFrame();
    const QRectF bounds = boundsOf(frame);

    painter.save();
    painter.translate(frame.x, frame.y);
    painter.setOpacity(painter.opacity() * alpha);
    const ViewPainter& viewPainter = m_painters.forView(view);
    if (const NavigationSite* site = scene.sites.forView(&view)) {
        viewPainter.paintOwnContent(painter, view, bounds, scene, highlighted);
        paintStack(painter, *site, scene);
    } else {
        viewPainter.paint(painter, view, bounds, scene, highlighted);
    }
    painter.restore();
}

void ModelPainter::paintSubviews(QPainter& painter, const View& view, Scene& scene,
                                 bool highlighted) {
    const Point origin = view.boundsOrigin();
    painter.save();
    painter.translate(-origin.x, -origin.y);
    for (const auto& subview : view.subviews()) paintView(painter, *subview, scene, highlighted);
    painter.restore();
}

void ModelPainter::paintStack(QPainter& painter, const NavigationSite& site, Scene& scene) {
    const Rect frame = site.view->presentationFrame();
    const QRectF bounds = boundsOf(frame);
    painter.save();
    painter.setClipRect(bounds, Qt::IntersectClip);
    const double width = bounds.width();
    const auto slide = m_transitions.slideFor(*site.controller, scene.now);
    if (slide && slide->outgoing != nullptr) {
        const double outgoing =
            slide->direction > 0 ? -slide->progress * width : slide->progress * width;
        painter.drawImage(QPointF(outgoing, NavigationController::kNavigationBarHeight),
                          *slide->outgoing);
    }
    double incoming = scene.pageShake;
    if (slide) {
        incoming += (slide->direction > 0 ? 1.0 : -1.0) * (1.0 - slide->progress) * width;
    }
    const Point origin = site.view->boundsOrigin();
    painter.translate(-origin.x, -origin.y);
    for (const auto& subview : site.view->subviews()) {
        if (subview.get() == site.bar) continue;
        painter.save();
        painter.translate(incoming, 0);
        paintView(painter, *subview, scene, false);
        painter.restore();
    }
    // The bar goes over the page: a page's content that reaches above its top
    // (the main page's closed options panel) slides out from under it.
    paintBar(painter, site, scene);
    painter.restore();
}

void ModelPainter::paintBar(QPainter& painter, const NavigationSite& site, Scene& scene) {
    if (site.bar == nullptr || site.bar->isHidden()) return;
    const Rect frame = site.bar->presentationFrame();
    const QRectF bar = boundsOf(frame);
    painter.save();
    painter.translate(frame.x, frame.y);
    painter.setOpacity(painter.opacity() * site.bar->presentationAlpha());
    QLinearGradient fill(bar.topLeft(), bar.bottomLeft());
    fill.setColorAt(0, kBarTop);
    fill.setColorAt(1, kBarBottom);
    painter.fillRect(bar, fill);
    painter.fillRect(QRectF(bar.left(), bar.bottom() - 1, bar.width(), 1), kBarEdge);

    const NavigationBarState state = site.controller->navigationBarState();
    const NavigationBarLayout layout(state, bar.width());
    if (state.titleView) {
        // The title view keeps its own size, centred in the title's room.
        const Rect titleFrame = state.titleView->presentationFrame();
        const QPointF centre = layout.title().center();
        painter.save();
        painter.setClipRect(layout.title(), Qt::IntersectClip);
        painter.translate(centre.x() - titleFrame.width / 2 - titleFrame.x,
                          centre.y() - titleFrame.height / 2 - titleFrame.y);
        paintView(painter, *state.titleView, scene, false);
        painter.restore();
    } else if (!state.title.empty()) {
        painter.setFont(NavigationBarLayout::titleFont());
        const QFontMetricsF metrics(painter.font());
        const QString title =
            metrics.elidedText(DrawnText::of(state.title), Qt::ElideRight, layout.title().width());
        painter.setPen(QColor(0x3a, 0x48, 0x5c));
        painter.drawText(layout.title().translated(0, -1), Qt::AlignCenter | Qt::TextSingleLine,
                         title);
        painter.setPen(Qt::white);
        painter.drawText(layout.title(), Qt::AlignCenter | Qt::TextSingleLine, title);
    }
    painter.setFont(NavigationBarLayout::buttonFont());
    const auto pressed = scene.feedback().pressedBarPart(*site.controller);
    if (const auto& back = layout.back()) {
        ControlPainter::drawBarButtonBody(painter, *back, true,
                                          pressed == NavigationBarLayout::Part::kBack);
        const QRectF label = back->adjusted(12, 0, -5, 0);
        const QFontMetricsF metrics(painter.font());
        painter.setPen(Qt::white);
        painter.drawText(label, Qt::AlignCenter | Qt::TextSingleLine,
                         metrics.elidedText(DrawnText::of(state.backTitle.value_or("")),
                                            Qt::ElideRight, label.width()));
    }
    const auto drawItem = [&painter](const BarButtonItem& item, const QRectF& rect, bool held) {
        ControlPainter::drawBarButtonBody(painter, rect, false, held);
        if (item.systemItem() == kBarButtonSystemItemAdd) {
            ControlPainter::drawAddGlyph(painter, rect);
        } else if (item.systemItem() == kBarButtonSystemItemTrash) {
            ControlPainter::drawTrashGlyph(painter, rect);
        } else if (const auto& image = item.image()) {
            ControlPainter::drawImage(painter, *image, rect.adjusted(4, 4, -4, -4), true);
        }
    };
    if (const auto& left = layout.left(); left && state.left) {
        drawItem(*state.left, *left, pressed == NavigationBarLayout::Part::kLeft);
    }
    if (const auto& right = layout.right(); right && state.right) {
        drawItem(*state.right, *right, pressed == NavigationBarLayout::Part::kRight);
    }
    painter.restore();
}

}  // namespace platform
