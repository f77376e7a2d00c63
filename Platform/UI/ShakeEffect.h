#pragma once

#include <optional>

namespace platform {

// The picture of a vibration: the page shakes sideways for a moment, the
// swings dying away. Times are on the main run loop's clock.
class ShakeEffect {
  public:
    static constexpr double kDuration = 0.3;
    static constexpr double kAmplitude = 10.0;  // points
    static constexpr double kSwings = 4.0;      // full left-right cycles

    // Starts (or restarts) a shake at `now`.
    void start(double now) { m_start = now; }
    bool isRunning(double now) const;
    // The page's sideways offset at `now`; 0 when no shake runs.
    double offsetAt(double now) const;

  private:
    std::optional<double> m_start;
};

}  // namespace platform
