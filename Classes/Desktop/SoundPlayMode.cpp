#include "Classes/Desktop/SoundPlayMode.h"

#include <algorithm>
#include <cmath>

int SoundPlayMode::trimOnSteps(double decibels) {
    if (!std::isfinite(decibels)) return 0;
    const double clamped = std::clamp(decibels, double{kMinimumTrim}, double{kMaximumTrim});
    return static_cast<int>(std::lround(clamped / kTrimStep)) * kTrimStep;
}
