#pragma once

#include <memory>
#include <optional>
#include <string>

namespace platform {

// When and how one group of animated changes runs. Each animation block owns
// one; the views it animates share it, so the block's duration and curve
// apply to changes made before they were set. The start time stays empty
// until the outermost block commits.
struct AnimationTiming {
    std::optional<double> startTime;
    double duration = 0.2;
    int curve = 0;

    // Eased progress at `now`: 0 before the start (and while not started), 1 from
    // the end on. Instants within a nanosecond of the end count as the end, so
    // clock arithmetic (1.4 + 0.2 versus 1.6) never leaves a value a hair short.
    double progressAt(double now) const;
    bool isFinishedAt(double now) const;
};

// The open animation blocks of the main thread. Views ask it, for each frame
// or alpha change, whether the change animates and with which timing.
class AnimationTransaction {
  public:
    static void begin(std::string name);
    // Both apply to the innermost open block; ignored when none is open.
    static void setCurve(int curve);
    static void setDuration(double seconds);
    // Closes the innermost block; closing the outermost starts every change made
    // since it opened, at the main run loop's current time.
    static void commit();

    // The timing a frame or alpha change made now follows, or null when it takes
    // effect at once (no block open, or animations suspended).
    static std::shared_ptr<const AnimationTiming> timingForChange();
    static double endTime();

    // While suspended (counted, so it nests), changes take effect at once.
    static void suspend();
    static void resume();
};

}  // namespace platform
