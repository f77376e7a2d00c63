#pragma once

#include "LoudnessMeter.h"

namespace media {

// Where every clip of a board is brought: one integrated loudness, with the
// true peak kept below a ceiling so that no clip clips after the gain.
struct LoudnessTarget {
    double loudnessLufs = -16.0;
    double truePeakCeilingDbtp = -1.0;
};

// The gain in dB that brings `measured` to `target`: the loudness difference,
// lowered where the peak would pass the ceiling. Silence keeps its level
// (gain 0, or less should its peak already pass the ceiling).
double levellingGainDb(const LoudnessMeasurement& measured, const LoudnessTarget& target);

}  // namespace media
