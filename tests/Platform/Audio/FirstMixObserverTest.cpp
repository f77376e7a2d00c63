#include "Platform/Audio/AudioDiagnostics.h"
#include "Platform/Audio/SystemSounds.h"
#include "SoundFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace {

using namespace platform;
using sbtest::audio::fileURL;
using sbtest::audio::makeAiff;
using sbtest::audio::writeFixture;

// Collects what the audio thread reports and lets the test wait for it. The
// wait ends as soon as the reports are in; its limit only turns a hang into a
// failure.
class Reports {
  public:
    void add(SystemSoundID soundID) {
        std::lock_guard lock(m_mutex);
        m_ids.push_back(soundID);
        m_changed.notify_all();
    }
    std::vector<SystemSoundID> waitFor(std::size_t count) {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return m_ids.size() >= count; });
        return m_ids;
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<SystemSoundID> m_ids;
};

TEST(FirstMixObserver, ReportsEachPlayOnceWithItsSound) {
    SystemSoundID a = 0;
    SystemSoundID b = 0;
    ASSERT_EQ(AudioServicesCreateSystemSoundID(
                  fileURL(writeFixture("a.aiff", makeAiff({8000, 1, 16}, 20.0))), &a),
              kAudioServicesNoError);
    ASSERT_EQ(AudioServicesCreateSystemSoundID(
                  fileURL(writeFixture("b.aiff", makeAiff({8000, 1, 16}, 20.0))), &b),
              kAudioServicesNoError);
    AudioServicesPlaySystemSound(a);  // before the observer: not reported

    auto reports = std::make_shared<Reports>();
    audio_diagnostics::setFirstMixObserver([reports](SystemSoundID id) { reports->add(id); });
    AudioServicesPlaySystemSound(b);
    AudioServicesPlaySystemSound(a);
    AudioServicesPlaySystemSound(kSystemSoundID_Vibrate);  // not a sound: never mixed
    AudioServicesPlaySystemSound(a + b + 1000);            // unknown: never mixed

    std::vector<SystemSoundID> seen = reports->waitFor(2);
    std::sort(seen.begin(), seen.end());
    std::vector<SystemSoundID> expected{a, b};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(seen, expected);

    // The earlier plays go on being mixed in every period, but a report comes
    // only for a new play: a repeat would arrive before this one.
    AudioServicesPlaySystemSound(b);
    const std::vector<SystemSoundID> all = reports->waitFor(3);
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(all[2], b);
    EXPECT_EQ(all.size(), 3u);
    audio_diagnostics::setFirstMixObserver({});
    EXPECT_EQ(playingSoundCount(), 4u);
}

}  // namespace
