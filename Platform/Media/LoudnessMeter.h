#pragma once

#include <cstddef>
#include <memory>
#include <optional>

namespace media {

// What the meter found: EBU R128 loudness (none for digital silence, or for a
// clip too short to hold one gating block when no window was asked for) and
// the highest peak over all channels, in dB relative to full scale: the true
// peak (4x oversampled) when the meter measured it, else the sample peak.
struct LoudnessMeasurement {
    std::optional<double> loudnessLufs;
    double truePeakDbtp = -200.0;
    bool peakIsTrue = true;
};

// One EBU R128 measurement over interleaved float frames, on libebur128.
class LoudnessMeter {
    struct PassKey {
        explicit PassKey() = default;
    };

  public:
    // Integrated (gated) loudness when `windowMilliseconds` is 0; otherwise the
    // loudness of one window that long, for clips shorter than a gating block.
    // None when libebur128 refuses the layout (no channels, an absurd rate).
    // The true peak costs most of the measuring time; without `truePeak` the
    // meter keeps the sample peak instead.
    static std::unique_ptr<LoudnessMeter> create(unsigned channels, unsigned long sampleRate,
                                                 unsigned long windowMilliseconds = 0,
                                                 bool truePeak = true);
    struct State;  // owns libebur128's state, which has no name to declare here
    LoudnessMeter(PassKey, std::unique_ptr<State> state, unsigned channels,
                  unsigned long windowMilliseconds, bool truePeak);
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    // `frames` interleaved frames of the meter's channel count. False on failure.
    bool add(const float* samples, std::size_t frames);
    LoudnessMeasurement measurement() const;

  private:
    std::unique_ptr<State> m_state;
    unsigned m_channels;
    unsigned long m_windowMilliseconds;
    bool m_truePeak;
};

}  // namespace media
