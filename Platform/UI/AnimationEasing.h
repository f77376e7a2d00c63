#pragma once

namespace platform {

// Animation curves of an animation block (View::setAnimationCurve).
enum AnimationCurve : int {
    kAnimationCurveEaseInOut = 0,
    kAnimationCurveEaseIn = 1,
    kAnimationCurveEaseOut = 2,
    kAnimationCurveLinear = 3,
};

// The timing curves of animation blocks, as cubic Béziers from (0,0) to (1,1):
// ease-in-out (0.42,0,0.58,1), ease-in (0.42,0,1,1), ease-out (0,0,0.58,1) and
// linear. An unknown curve number eases in and out.
namespace AnimationEasing {
// The eased progress for linear progress `t`; `t` is clamped to [0, 1] and
// the ends map exactly to 0 and 1.
double progress(int curve, double t);
// `curve` when it names a known curve, else ease-in-out.
int normalizedCurve(int curve);
}  // namespace AnimationEasing

}  // namespace platform
