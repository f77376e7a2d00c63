#include "AnimationEasing.h"

#include <cmath>

namespace platform {

namespace {

// A cubic Bézier through (0,0), (x1,y1), (x2,y2), (1,1), solved for y at a
// given x. Newton's method converges in a few steps on these gentle curves;
// bisection is the fallback where the slope is too flat for it.
class UnitBezier {
  public:
    UnitBezier(double x1, double y1, double x2, double y2)
        : m_cx(3.0 * x1),
          m_bx(3.0 * (x2 - x1) - m_cx),
          m_ax(1.0 - m_cx - m_bx),
          m_cy(3.0 * y1),
          m_by(3.0 * (y2 - y1) - m_cy),
          m_ay(1.0 - m_cy - m_by) {}

    double yForX(double x) const { return sampleY(parameterForX(x)); }

  private:
    double sampleX(double t) const { return ((m_ax * t + m_bx) * t + m_cx) * t; }
    double sampleY(double t) const { return ((m_ay * t + m_by) * t + m_cy) * t; }
    double slopeX(double t) const { return (3.0 * m_ax * t + 2.0 * m_bx) * t + m_cx; }

    double parameterForX(double x) const {
        constexpr double kPrecision = 1e-12;
        double t = x;
        for (int i = 0; i < 8; ++i) {
            const double error = sampleX(t) - x;
            if (std::fabs(error) < kPrecision) return t;
            const double slope = slopeX(t);
            if (std::fabs(slope) < 1e-9) break;
            t -= error / slope;
        }
        double low = 0.0;
        double high = 1.0;
        t = x;
        for (int i = 0; i < 64 && low < high; ++i) {
            const double value = sampleX(t);
            if (std::fabs(value - x) < kPrecision) break;
            if (value < x) {
                low = t;
            } else {
                high = t;
            }
            t = (low + high) / 2.0;
        }
        return t;
    }

    double m_cx, m_bx, m_ax;
    double m_cy, m_by, m_ay;
};

}  // namespace

int AnimationEasing::normalizedCurve(int curve) {
    switch (curve) {
        case kAnimationCurveEaseInOut:
        case kAnimationCurveEaseIn:
        case kAnimationCurveEaseOut:
        case kAnimationCurveLinear:
            return curve;
        default:
            return kAnimationCurveEaseInOut;
    }
}

double AnimationEasing::progress(int curve, double t) {
    if (!(t > 0.0)) return 0.0;  // also catches NaN
    if (t >= 1.0) return 1.0;
    static const UnitBezier easeInOut(0.42, 0.0, 0.58, 1.0);
    static const UnitBezier easeIn(0.42, 0.0, 1.0, 1.0);
    static const UnitBezier easeOut(0.0, 0.0, 0.58, 1.0);
    switch (normalizedCurve(curve)) {
        case kAnimationCurveEaseIn:
            return easeIn.yForX(t);
        case kAnimationCurveEaseOut:
            return easeOut.yForX(t);
        case kAnimationCurveLinear:
            return t;
        default:
            return easeInOut.yForX(t);
    }
}

}  // namespace platform
