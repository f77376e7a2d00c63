#include "View.h"

#include "AnimationTransaction.h"
#include "LayoutAttributes.h"
#include "Platform/Foundation/RunLoop.h"
#include "WindowCommands.h"

#include <algorithm>
#include <cmath>

namespace platform {

// An animation of one property: from the value shown when the change was made
// to the model value, along the timing of the block the change was made in.
struct View::Animation {
    std::shared_ptr<const AnimationTiming> timing;
    Rect fromFrame{};
    double fromAlpha = 0.0;
};

namespace {

// Taps skip views this transparent, as they do hidden ones.
constexpr double kMinimumTappableAlpha = 0.01;

double now() {
    return RunLoop::main().now();
}

double interpolate(double from, double to, double progress) {
    return from + (to - from) * progress;
}

double finiteOrZero(double value) {
    return std::isfinite(value) ? value : 0.0;
}

}  // namespace

View::View() = default;

View::View(Rect frame)
    : m_frame{finiteOrZero(frame.x), finiteOrZero(frame.y), finiteOrZero(frame.width),
              finiteOrZero(frame.height)} {}

View::~View() {
    for (const auto& subview : m_subviews) subview->m_superview = nullptr;
}

void View::setFrame(Rect frame) {
    frame = {finiteOrZero(frame.x), finiteOrZero(frame.y), finiteOrZero(frame.width),
             finiteOrZero(frame.height)};
    const Size oldSize = m_frame.size();
    if (auto timing = AnimationTransaction::timingForChange()) {
        const Rect shown = presentationFrame();
        m_frameAnimation = std::make_unique<Animation>(Animation{std::move(timing), shown, 0.0});
    } else {
        m_frameAnimation.reset();
    }
    m_frame = frame;
    if (m_frame.size() != oldSize) layoutSubviews();
}

void View::setAlpha(double alpha) {
    if (std::isnan(alpha)) return;
    alpha = std::clamp(alpha, 0.0, 1.0);
    if (auto timing = AnimationTransaction::timingForChange()) {
        const double shown = presentationAlpha();
        m_alphaAnimation = std::make_unique<Animation>(Animation{std::move(timing), {}, shown});
    } else {
        m_alphaAnimation.reset();
    }
    m_alpha = alpha;
}

void View::adoptAlphaOf(const View& other) {
    if (&other == this) return;
    m_alpha = other.m_alpha;
    m_alphaAnimation =
        other.m_alphaAnimation ? std::make_unique<Animation>(*other.m_alphaAnimation) : nullptr;
}

Rect View::presentationFrame() const {
    if (!m_frameAnimation) return m_frame;
    const double progress = m_frameAnimation->timing->progressAt(now());
    if (progress >= 1.0) return m_frame;
    const Rect& from = m_frameAnimation->fromFrame;
    return {interpolate(from.x, m_frame.x, progress), interpolate(from.y, m_frame.y, progress),
            interpolate(from.width, m_frame.width, progress),
            interpolate(from.height, m_frame.height, progress)};
}

double View::presentationAlpha() const {
    if (!m_alphaAnimation) return m_alpha;
    const double progress = m_alphaAnimation->timing->progressAt(now());
    if (progress >= 1.0) return m_alpha;
    return interpolate(m_alphaAnimation->fromAlpha, m_alpha, progress);
}

bool View::isAnimating() const {
    const double t = now();
    return (m_frameAnimation && !m_frameAnimation->timing->isFinishedAt(t)) ||
           (m_alphaAnimation && !m_alphaAnimation->timing->isFinishedAt(t));
}

bool View::isTreeAncestorOf(const View* view) const {
    for (const View* v = view; v; v = v->m_superview) {
        if (v == this) return true;
    }
    return false;
}

void View::addSubview(std::shared_ptr<View> view) {
    // `view` is held by value, so it survives leaving its old superview.
    if (!view || view->isTreeAncestorOf(this)) return;
    view->removeFromSuperview();
    view->m_superview = this;
    m_subviews.push_back(std::move(view));
}

void View::removeFromSuperview() {
    View* parent = m_superview;
    if (!parent) return;
    auto& siblings = parent->m_subviews;
    const auto it =
        std::find_if(siblings.begin(), siblings.end(),
                     [this](const std::shared_ptr<View>& v) { return v.get() == this; });
    // The superview may hold the last reference: keep this view alive until the
    // function has finished with it.
    std::shared_ptr<View> keepAlive;
    if (it != siblings.end()) {
        keepAlive = std::move(*it);
        siblings.erase(it);
    }
    m_superview = nullptr;
}

std::shared_ptr<View> View::findView(std::string_view idOrName) {
    if (!idOrName.empty() && (m_layoutId == idOrName || m_accessibilityName == idOrName)) {
        return std::static_pointer_cast<View>(weak_from_this().lock());
    }
    for (const auto& subview : m_subviews) {
        if (!idOrName.empty() &&
            (subview->m_layoutId == idOrName || subview->m_accessibilityName == idOrName)) {
            return subview;
        }
        if (auto found = subview->findView(idOrName)) return found;
    }
    return nullptr;
}

View* View::hitTest(Point point) {
    if (m_hidden || !m_userInteractionEnabled) return nullptr;
    if (presentationAlpha() < kMinimumTappableAlpha) return nullptr;
    const Rect shown = presentationFrame();
    if (!Rect{0, 0, shown.width, shown.height}.contains(point)) return nullptr;
    const Point origin = boundsOrigin();
    for (auto it = m_subviews.rbegin(); it != m_subviews.rend(); ++it) {
        const Rect subframe = (*it)->presentationFrame();
        const Point inSubview{point.x + origin.x - subframe.x, point.y + origin.y - subframe.y};
        if (View* hit = (*it)->hitTest(inSubview)) return hit;
    }
    return this;
}

Point View::convertPointToAncestor(Point point, const View* ancestor) const {
    for (const View* v = this; v && v != ancestor; v = v->m_superview) {
        if (!v->m_superview) break;
        const Rect shown = v->presentationFrame();
        const Point parentOrigin = v->m_superview->boundsOrigin();
        point = {point.x + shown.x - parentOrigin.x, point.y + shown.y - parentOrigin.y};
    }
    return point;
}

void View::tapAt(Point) {}

bool View::deliverTap(Point point) {
    View* target = hitTest(point);
    while (target && !target->acceptsTaps()) {
        target = target == this ? nullptr : target->m_superview;
    }
    if (!target) return false;
    const Point local = [&] {
        // The inverse of convertPointToAncestor: subtract each level's offset.
        const Point zero = target->convertPointToAncestor({0, 0}, this);
        return Point{point.x - zero.x, point.y - zero.y};
    }();
    // The tap may release the page that owns this tree; the target stays alive
    // until its tapAt returns.
    auto keepAlive = target->weak_from_this().lock();
    target->tapAt(local);
    return true;
}

std::vector<WindowCommand> View::contextCommands(Point /*point*/) {
    return {};
}

void View::layoutIfNeeded() {
    // A copy: laying out content may add or remove subviews.
    const auto subviews = m_subviews;
    for (const auto& subview : subviews) subview->layoutIfNeeded();
}

void View::beginAnimations(std::string name, void* /*context*/) {
    AnimationTransaction::begin(std::move(name));
}

void View::setAnimationCurve(int curve) {
    AnimationTransaction::setCurve(curve);
}

void View::setAnimationDuration(double seconds) {
    AnimationTransaction::setDuration(seconds);
}

void View::commitAnimations() {
    AnimationTransaction::commit();
}

double View::animationsEndTime() {
    return AnimationTransaction::endTime();
}

void View::performWithoutAnimation(const std::function<void()>& changes) {
    AnimationTransaction::suspend();
    struct Resume {
        ~Resume() { AnimationTransaction::resume(); }
    } resume;
    if (changes) changes();
}

void View::describeLayoutAttributes(LayoutAttributes<View>& attributes) {
    attributes.text("id", &View::setLayoutId)
        .rect("frame", &View::setFrame)
        .number("alpha", &View::setAlpha, LayoutAttributeValue::Range::fraction())
        .flag("hidden", &View::setHidden)
        .color("backgroundColor", &View::setBackgroundColor)
        .flag("clipsToBounds", &View::setClipsToBounds)
        .text("accessibilityName", &View::setAccessibilityName);
}

}  // namespace platform
