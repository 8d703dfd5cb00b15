#include "dsp/LevelMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
    // A block whose channel c holds `peaks[c]` at one sample and smaller values elsewhere.
    juce::AudioBuffer<float> blockWithPeaks (const std::vector<float>& peaks, int numSamples = 256)
    {
        juce::AudioBuffer<float> b ((int) peaks.size(), numSamples);
        for (int ch = 0; ch < b.getNumChannels(); ++ch)
            for (int i = 0; i < numSamples; ++i)
                b.setSample (ch, i, (i == 100 ? 1.0f : 0.3f * ((i % 2) == 0 ? 1.0f : -1.0f)) * peaks[(size_t) ch]);
        return b;
    }
}

TEST (LevelMeter, RisesByFiftyFivePercentOfTheDistancePerBlock)
{
    std::atomic<float> l { 0.0f }, r { 0.0f };
    const auto full = blockWithPeaks ({ 1.0f, 1.0f });

    for (int k = 1; k <= 6; ++k)
    {
        updateLevelMeter (full, l, r);
        const float expected = 1.0f - std::pow (0.45f, (float) k);
        EXPECT_NEAR (l.load(), expected, 1.0e-6) << k << " blocks";
        EXPECT_NEAR (r.load(), expected, 1.0e-6) << k << " blocks";
    }
}

TEST (LevelMeter, FallsByEightPercentPerBlock)
{
    std::atomic<float> l { 1.0f }, r { 1.0f };
    juce::AudioBuffer<float> silence (2, 256);
    silence.clear();

    for (int k = 1; k <= 50; ++k)
    {
        updateLevelMeter (silence, l, r);
        EXPECT_NEAR (l.load(), std::pow (0.92, k), 1.0e-5 * std::pow (0.92, k)) << k << " blocks";
        EXPECT_GT (l.load(), 0.0f);
    }
}

TEST (LevelMeter, PeakPerChannel)
{
    struct Case
    {
        const char* what;
        std::vector<float> peaks;   // one per channel; negative means the peak sample is negative
        float previousL, previousR, expectedL, expectedR;
    };

    const Case cases[] = {
        { "equal peak counts as a fall", { 0.5f, 0.5f }, 0.5f, 0.5f, 0.46f, 0.46f },
        { "mono drives both", { 0.8f }, 0.0f, 0.2f, 0.44f, 0.2f + 0.55f * 0.6f },
        { "negative samples by absolute value", { -0.6f, -0.2f }, 0.0f, 0.5f, 0.33f, 0.46f },
        { "channels measured separately", { 1.0f, 0.1f }, 0.2f, 0.5f, 0.2f + 0.55f * 0.8f, 0.46f },
        { "channels from 2 upward ignored", { 0.0f, 0.0f, 1.0f, 1.0f }, 0.5f, 0.25f, 0.46f, 0.23f },
        { "no channels is silence", {}, 0.5f, 0.25f, 0.46f, 0.23f },
    };

    for (const auto& c : cases)
    {
        std::atomic<float> l { c.previousL }, r { c.previousR };
        updateLevelMeter (blockWithPeaks (c.peaks), l, r);
        EXPECT_NEAR (l.load(), c.expectedL, 1.0e-6) << c.what;
        EXPECT_NEAR (r.load(), c.expectedR, 1.0e-6) << c.what;
    }
}
