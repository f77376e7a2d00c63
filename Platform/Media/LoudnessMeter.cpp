#include "LoudnessMeter.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>

namespace media {

struct LoudnessMeter::State {
    explicit State(ebur128_state* owned) : state(owned) {}
    ~State() { ebur128_destroy(&state); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ebur128_state* state;
};

LoudnessMeter::LoudnessMeter(PassKey, std::unique_ptr<State> state, unsigned channels,
                             unsigned long windowMilliseconds, bool truePeak)
    : m_state(std::move(state)),
      m_channels(channels),
      m_windowMilliseconds(windowMilliseconds),
      m_truePeak(truePeak) {}

LoudnessMeter::~LoudnessMeter() = default;

std::unique_ptr<LoudnessMeter> LoudnessMeter::create(unsigned channels, unsigned long sampleRate,
                                                     unsigned long windowMilliseconds,
                                                     bool truePeak) {
    if (channels == 0 || sampleRate == 0) return nullptr;
    const int mode = (truePeak ? EBUR128_MODE_TRUE_PEAK : EBUR128_MODE_SAMPLE_PEAK) |
                     (windowMilliseconds > 0 ? EBUR128_MODE_M : EBUR128_MODE_I);
    ebur128_state* raw = ebur128_init(channels, sampleRate, mode);
    if (raw == nullptr) return nullptr;
    auto state = std::make_unique<State>(raw);
    if (windowMilliseconds > 0) {
        // The library never shrinks its window below a gating block and answers
        // "no change" then; either way the window asked for is served.
        const int status = ebur128_set_max_window(raw, windowMilliseconds);
        if (status != EBUR128_SUCCESS && status != EBUR128_ERROR_NO_CHANGE) return nullptr;
    }
    return std::make_unique<LoudnessMeter>(PassKey{}, std::move(state), channels,
                                           windowMilliseconds, truePeak);
}

bool LoudnessMeter::add(const float* samples, std::size_t frames) {
    return frames == 0 ||
           ebur128_add_frames_float(m_state->state, samples, frames) == EBUR128_SUCCESS;
}

LoudnessMeasurement LoudnessMeter::measurement() const {
    LoudnessMeasurement result;
    double loudness = -HUGE_VAL;
    const int status =
        m_windowMilliseconds > 0
            ? ebur128_loudness_window(m_state->state, m_windowMilliseconds, &loudness)
            : ebur128_loudness_global(m_state->state, &loudness);
    // libebur128 answers -HUGE_VAL for silence; anything that low is silence too.
    if (status == EBUR128_SUCCESS && std::isfinite(loudness) && loudness > -120.0) {
        result.loudnessLufs = loudness;
    }
    double highest = 0.0;
    for (unsigned channel = 0; channel < m_channels; ++channel) {
        double peak = 0.0;
        const int status = m_truePeak ? ebur128_true_peak(m_state->state, channel, &peak)
                                      : ebur128_sample_peak(m_state->state, channel, &peak);
        if (status == EBUR128_SUCCESS && std::isfinite(peak)) {
            highest = std::max(highest, peak);
        }
    }
    if (highest > 0.0) result.truePeakDbtp = 20.0 * std::log10(highest);
    result.peakIsTrue = m_truePeak;
    return result;
}

}  // namespace media
