#include "AnimationTransaction.h"

#include "AnimationEasing.h"
#include "Platform/Foundation/RunLoop.h"

#include <cmath>
#include <limits>
#include <vector>

namespace platform {

namespace {

constexpr double kEndTolerance = 1e-9;

struct Block {
    std::string name;
    std::shared_ptr<AnimationTiming> timing;
};

struct TransactionState {
    std::vector<Block> open;
    // Timings of inner blocks already closed, waiting for the outermost commit.
    std::vector<std::shared_ptr<AnimationTiming>> closed;
    double endTime = -std::numeric_limits<double>::infinity();
    int suspended = 0;
};

TransactionState& state() {
    static TransactionState instance;
    return instance;
}

}  // namespace

double AnimationTiming::progressAt(double now) const {
    if (!startTime) return 0.0;
    if (isFinishedAt(now)) return 1.0;
    return AnimationEasing::progress(curve, (now - *startTime) / duration);
}

bool AnimationTiming::isFinishedAt(double now) const {
    return startTime && now >= *startTime + duration - kEndTolerance;
}

void AnimationTransaction::begin(std::string name) {
    state().open.push_back({std::move(name), std::make_shared<AnimationTiming>()});
}

void AnimationTransaction::setCurve(int curve) {
    auto& open = state().open;
    if (!open.empty()) open.back().timing->curve = AnimationEasing::normalizedCurve(curve);
}

void AnimationTransaction::setDuration(double seconds) {
    auto& open = state().open;
    if (open.empty()) return;
    // A duration that is negative or not a number runs the change at once.
    open.back().timing->duration = std::isfinite(seconds) && seconds > 0.0 ? seconds : 0.0;
}

void AnimationTransaction::commit() {
    auto& s = state();
    if (s.open.empty()) return;
    s.closed.push_back(std::move(s.open.back().timing));
    s.open.pop_back();
    if (!s.open.empty()) return;

    const double now = RunLoop::main().now();
    for (const auto& timing : s.closed) {
        timing->startTime = now;
        s.endTime = std::max(s.endTime, now + timing->duration);
    }
    s.closed.clear();
}

std::shared_ptr<const AnimationTiming> AnimationTransaction::timingForChange() {
    const auto& s = state();
    if (s.open.empty() || s.suspended > 0) return nullptr;
    return s.open.back().timing;
}

double AnimationTransaction::endTime() {
    return state().endTime;
}

void AnimationTransaction::suspend() {
    ++state().suspended;
}

void AnimationTransaction::resume() {
    auto& s = state();
    if (s.suspended > 0) --s.suspended;
}

}  // namespace platform
