#include "PlaybackTimes.h"

#include <algorithm>
#include <cmath>

namespace platform {

void PlaybackTimes::started(SystemSoundID soundID, double now, double seconds, bool loops) {
    m_plays.insert_or_assign(soundID, Play{now, seconds, loops});
}

void PlaybackTimes::forget(SystemSoundID soundID) {
    m_plays.erase(soundID);
}

std::optional<double> PlaybackTimes::progress(SystemSoundID soundID, double now) const {
    const auto found = m_plays.find(soundID);
    if (found == m_plays.end()) return std::nullopt;
    const Play& play = found->second;
    if (!std::isfinite(play.seconds) || play.seconds <= 0 || !std::isfinite(now)) {
        return std::nullopt;
    }
    double fraction = (now - play.start) / play.seconds;
    if (play.loops && fraction >= 1.0) fraction -= std::floor(fraction);
    if (fraction >= 1.0) return std::nullopt;
    return std::max(0.0, fraction);
}

}  // namespace platform
