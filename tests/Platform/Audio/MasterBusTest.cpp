// The master bus's limiter on plain samples: what passes untouched, what is
// held under the ceiling, and what cannot be scaled at all.

#include "Platform/Audio/MasterBus.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using platform::MasterBus;

TEST(MasterBus, PassesWhatIsUnderTheCeilingAndHoldsTheRestUnderIt) {
    struct Case {
        const char* name;
        float level;     // of a 1 kHz tone, both channels
        bool untouched;  // sample for sample as it came
    };
    const std::vector<Case> cases{
        {"half scale", 0.5f, true},
        {"just under the ceiling", 0.89f, true},
        {"full scale", 1.0f, false},
        {"twenty plays at half scale", 10.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MasterBus bus;
        bus.configure(44100, 2);
        std::vector<float> samples;
        for (int frame = 0; frame < 4410; ++frame) {
            const float value = c.level * std::sin(2.0f * 3.14159265f * 1000.0f * frame / 44100.0f);
            samples.insert(samples.end(), {value, value});
        }
        const std::vector<float> before = samples;
        bus.limit(samples.data(), samples.size() / 2);
        float peak = 0;
        for (float sample : samples) peak = std::max(peak, std::fabs(sample));
        EXPECT_LE(peak, MasterBus::kCeiling);
        EXPECT_EQ(samples == before, c.untouched);
    }
}

TEST(MasterBus, AFrameThatCannotBeScaledIsSilencedAndTheNextOnesAreNot) {
    MasterBus bus;
    bus.configure(44100, 2);
    std::vector<float> samples{0.25f,
                               0.25f,
                               std::numeric_limits<float>::quiet_NaN(),
                               0.1f,
                               std::numeric_limits<float>::infinity(),
                               0.1f,
                               0.25f,
                               0.25f};
    bus.limit(samples.data(), 4);
    EXPECT_EQ(samples, (std::vector<float>{0.25f, 0.25f, 0.0f, 0.0f, 0.0f, 0.0f, 0.25f, 0.25f}));
}

}  // namespace
