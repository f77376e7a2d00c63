#pragma once

#include "Platform/Audio/SystemSounds.h"

#include <map>
#include <optional>

namespace platform {

// When the newest play of each sound started, and how far along it is.
//
// SDL_mixer tells whether a channel plays, not where in its chunk it is, so a
// play's position is the time since it started over the sound's length. Times
// come from the caller (the run loop's clock): with a manual clock the
// progress moves exactly as the test moves time.
//
// Not thread-safe by itself: its owner serialises all calls.
class PlaybackTimes {
  public:
    // A play of `soundID`, `seconds` long, started at `now`; a looping one
    // goes round until stopped.
    void started(SystemSoundID soundID, double now, double seconds, bool loops = false);
    void forget(SystemSoundID soundID);
    void clear() { m_plays.clear(); }

    // The fraction in [0, 1) of the newest play of `soundID` at `now`; none
    // when it was never started or its length has passed. Whether it still
    // sounds (it may have been stopped) is the caller's question.
    std::optional<double> progress(SystemSoundID soundID, double now) const;

  private:
    struct Play {
        double start = 0;
        double seconds = 0;
        bool loops = false;
    };
    std::map<SystemSoundID, Play> m_plays;
};

}  // namespace platform
