#pragma once

#include "Platform/UI/Object.h"
#include "Platform/UI/ScrollView.h"

#include <map>
#include <memory>

namespace platform {

// When each scroll view last moved, so its indicators show while it scrolls
// and fade out shortly after. Whatever moved it (wheel, drag, keys, a page
// scrolling to a row) counts: the offsets are compared frame by frame, so no
// input path has to report its scrolling. A scroll view seen for the first time
// only sets the offset later frames compare with.
//
// Lifetime: keeps scroll views weakly and forgets those that have gone.
class ScrollIndicators {
  public:
    // Seconds the indicators stay fully shown after the last movement, then
    // the seconds they take to fade out.
    static constexpr double kHold = 0.5;
    static constexpr double kFade = 0.3;

    // Looks at every shown scroll view under `root` at `now`.
    void observe(const View& root, double now);
    // 0 (hidden) to 1 (fully shown) at `now`.
    double opacity(const ScrollView& scrollView, double now) const;
    // Whether some indicator still shows or fades at `now`.
    bool isShowing(double now) const;

  private:
    struct Seen {
        std::weak_ptr<const Object> owner;  // tells a live view from a reused address
        Point offset;
        double lastMoved = -1e300;
    };
    void observeTree(const View& view, double now);
    static double opacityAt(const Seen& seen, double now);

    std::map<const ScrollView*, Seen> m_seen;
};

}  // namespace platform
