#include "InteractionFeedback.h"

#include "Platform/Audio/SystemSounds.h"
#include "Platform/UI/Button.h"

#include <algorithm>

namespace platform {

const PaintFeedback& PaintFeedback::none() {
    static const PaintFeedback nothing;
    return nothing;
}

void InteractionFeedback::beginFrame(const View& root, double now) {
    m_now = now;
    m_shownSounds.clear();
    m_indicators.observe(root, now);
}

bool InteractionFeedback::needsFrames(double now) const {
    if (m_indicators.isShowing(now)) return true;
    // Asked of the audio, not of the last frame: a window that draws no frames
    // (minimised) still goes idle once the sound ends.
    return std::any_of(m_shownSounds.begin(), m_shownSounds.end(), [](std::uint32_t soundID) {
        return platform::playbackProgress(soundID).has_value();
    });
}

std::optional<double> InteractionFeedback::playbackProgress(const Button& button) const {
    const std::uint32_t soundID = button.playbackSound();
    if (soundID == 0) return std::nullopt;
    auto progress = platform::playbackProgress(soundID);
    if (progress) m_shownSounds.insert(soundID);
    return progress;
}

}  // namespace platform
