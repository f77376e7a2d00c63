#include "PageTransitions.h"

#include "Platform/UI/AnimationEasing.h"
#include "Platform/UI/View.h"

namespace platform {

void PageTransitions::observe(const NavigationController& stack, const QImage& previousFrame,
                              const QRectF& pageArea, double now) {
    std::erase_if(m_states, [](const auto& item) { return item.second.owner.expired(); });
    const auto& transition = stack.lastTransition();
    State& state = m_states[&stack];
    const bool known = state.seen && state.direction == transition.direction &&
                       state.startTime == transition.startTime;
    if (known) return;
    // The first look at a stack only learns its state: nothing was drawn before.
    const bool firstLook = !state.seen;
    state = State{stack.weak_from_this(), transition.direction, transition.startTime, true, {}};
    if (firstLook || !transition.animated || transition.direction == 0 || previousFrame.isNull() ||
        now >= transition.startTime + kDuration) {
        return;
    }
    const double scale = previousFrame.devicePixelRatio();
    const QRect pixels(QRectF(pageArea.x() * scale, pageArea.y() * scale, pageArea.width() * scale,
                              pageArea.height() * scale)
                           .toAlignedRect());
    state.outgoing = previousFrame.copy(pixels);
    state.outgoing.setDevicePixelRatio(scale);
}

std::optional<PageTransitions::Slide> PageTransitions::slideFor(const NavigationController& stack,
                                                                double now) const {
    const auto it = m_states.find(&stack);
    if (it == m_states.end() || it->second.outgoing.isNull()) return std::nullopt;
    const State& state = it->second;
    const double elapsed = now - state.startTime;
    if (elapsed < 0 || elapsed >= kDuration) return std::nullopt;
    return Slide{AnimationEasing::progress(kAnimationCurveEaseInOut, elapsed / kDuration),
                 state.direction, &state.outgoing};
}

bool PageTransitions::isSliding(const NavigationController& stack, double now) {
    const auto& transition = stack.lastTransition();
    return transition.animated && transition.direction != 0 && now >= transition.startTime &&
           now < transition.startTime + kDuration;
}

bool PageTransitions::isRunning(double now) const {
    for (const auto& [stack, state] : m_states) {
        if (!state.outgoing.isNull() && !state.owner.expired() && now >= state.startTime &&
            now < state.startTime + kDuration) {
            return true;
        }
    }
    return false;
}

}  // namespace platform
