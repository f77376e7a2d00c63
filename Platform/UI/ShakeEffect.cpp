#include "ShakeEffect.h"

#include <cmath>
#include <numbers>

namespace platform {

bool ShakeEffect::isRunning(double now) const {
    return m_start && now >= *m_start && now < *m_start + kDuration;
}

double ShakeEffect::offsetAt(double now) const {
    if (!isRunning(now)) return 0.0;
    const double t = (now - *m_start) / kDuration;
    return kAmplitude * (1.0 - t) * std::sin(2.0 * std::numbers::pi * kSwings * t);
}

}  // namespace platform
