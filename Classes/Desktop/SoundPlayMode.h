#pragma once

// How one sound of a board plays: what pressing it again while it sounds does,
// whether it loops, and a volume trim on top of the board's levelled loudness.
// The default is how every sound played before modes existed.
struct SoundPlayMode {
    enum class Again { kOverlap, kRestart, kStop };

    static constexpr int kTrimStep = 3;
    static constexpr int kMinimumTrim = -12;
    static constexpr int kMaximumTrim = 12;

    Again again = Again::kOverlap;
    bool loops = false;
    // Decibels, a multiple of kTrimStep within the limits.
    int trimDecibels = 0;

    bool isDefault() const { return *this == SoundPlayMode{}; }
    bool operator==(const SoundPlayMode&) const = default;
    // `decibels` on the trim's steps: rounded to the nearest step and clamped.
    static int trimOnSteps(double decibels);
};
