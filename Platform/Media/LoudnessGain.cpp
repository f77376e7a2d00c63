#include "LoudnessGain.h"

#include <algorithm>

namespace media {

double levellingGainDb(const LoudnessMeasurement& measured, const LoudnessTarget& target) {
    double gain = measured.loudnessLufs ? target.loudnessLufs - *measured.loudnessLufs : 0.0;
    const double headroom = target.truePeakCeilingDbtp - measured.truePeakDbtp;
    return std::min(gain, headroom);
}

}  // namespace media
