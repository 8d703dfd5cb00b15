#include "dsp/CompressionStage.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
    using Settings = CompressionStage::Settings;
    constexpr double fs = 48000.0;
    constexpr int blockSize = 512;

    // A tone whose level swings between loud and moderate, so the envelope is always
    // attacking or releasing and every setting shows in the output.
    juce::AudioBuffer<float> swellingTone (int numChannels, int numSamples)
    {
        juce::AudioBuffer<float> b (numChannels, numSamples);
        for (int ch = 0; ch < numChannels; ++ch)
            for (int i = 0; i < numSamples; ++i)
            {
                const double t = i / fs;
                const double level = 0.5 + 0.4 * std::sin (2.0 * juce::MathConstants<double>::pi * 7.0 * t);
                b.setSample (ch, i, (float) (level * std::sin (2.0 * juce::MathConstants<double>::pi * 440.0 * t + ch)));
            }
        return b;
    }

    void processInBlocks (CompressionStage& stage, juce::AudioBuffer<float>& b)
    {
        for (int start = 0; start < b.getNumSamples(); start += blockSize)
        {
            const int n = juce::jmin (blockSize, b.getNumSamples() - start);
            juce::AudioBuffer<float> view (b.getArrayOfWritePointers(), b.getNumChannels(), start, n);
            stage.process (view);
        }
    }

    float maxDiff (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b, int channel)
    {
        float m = 0.0f;
        for (int i = 0; i < a.getNumSamples(); ++i)
            m = juce::jmax (m, std::abs (a.getSample (channel, i) - b.getSample (channel, i)));
        return m;
    }

    juce::AudioBuffer<float> runWith (std::initializer_list<Settings> updates)
    {
        CompressionStage stage;
        stage.prepare (fs, blockSize);
        stage.invalidate();
        for (const auto& s : updates)
            stage.update (s);

        auto b = swellingTone (2, 24000);
        processInBlocks (stage, b);
        return b;
    }
}

TEST (CompressionStage, ChannelsAreCompressedIndependently)
{
    CompressionStage stage;
    stage.prepare (fs, blockSize);
    stage.invalidate();
    stage.update ({ -30.0f, 10.0f, 1.0f, 50.0f });

    // Left well above the -30 dB threshold, right well below it (-40 dB).
    juce::AudioBuffer<float> b (2, 24000);
    for (int i = 0; i < b.getNumSamples(); ++i)
    {
        const float s = (float) std::sin (2.0 * juce::MathConstants<double>::pi * 1000.0 * i / fs);
        b.setSample (0, i, 0.9f * s);
        b.setSample (1, i, 0.01f * s);
    }
    const auto in = b;
    processInBlocks (stage, b);

    EXPECT_EQ (maxDiff (b, in, 1), 0.0f) << "the quiet channel must not be turned down by the loud one";

    // 29 dB above threshold at 10:1 is about 26 dB of reduction once the envelope has settled.
    const float settledPeak = b.getMagnitude (0, 12000, 12000);
    EXPECT_LT (settledPeak, 0.9f * 0.1f);
    EXPECT_GT (settledPeak, 0.0f);
}

TEST (CompressionStage, MonoBlockRunsOnlyTheFirstCompressor)
{
    const Settings s { -30.0f, 8.0f, 5.0f, 200.0f };
    CompressionStage used, fresh;
    for (auto* c : { &used, &fresh })
    {
        c->prepare (fs, blockSize);
        c->invalidate();
        c->update (s);
    }

    auto mono = swellingTone (1, 4800);
    processInBlocks (used, mono);

    // The stereo block that follows: channel 0 continues a charged envelope, channel 1 must
    // start released, exactly like a compressor that never ran.
    auto stereo = swellingTone (2, 2048);
    auto stereoFresh = stereo;
    processInBlocks (used, stereo);
    processInBlocks (fresh, stereoFresh);

    EXPECT_EQ (maxDiff (stereo, stereoFresh, 1), 0.0f);
    EXPECT_GT (maxDiff (stereo, stereoFresh, 0), 1.0e-3f);
}

TEST (CompressionStage, FourSettingsChangeTogetherOnlyBeyondTheTolerance)
{
    const Settings base { -30.0f, 4.0f, 2.0f, 100.0f };

    struct Case { const char* what; Settings next; bool applied; };
    const Case cases[] = {
        { "threshold +0.0005", { -29.9995f, 4.0f, 2.0f, 100.0f }, false },
        { "threshold +0.001", { -29.999f, 4.0f, 2.0f, 100.0f }, false },
        { "threshold +0.0011", { -29.9989f, 4.0f, 2.0f, 100.0f }, true },
        { "ratio -0.0011", { -30.0f, 3.9989f, 2.0f, 100.0f }, true },
        { "ratio +0.001 with threshold +0.001", { -29.999f, 4.001f, 2.0f, 100.0f }, false },
        { "attack alone takes a small threshold move along", { -29.9991f, 4.0f, 2.5f, 100.0f }, true },
        { "release alone takes a small ratio move along", { -30.0f, 4.0009f, 2.0f, 150.0f }, true },
        { "release alone takes a small attack move along", { -30.0f, 4.0f, 2.0009f, 150.0f }, true },
    };

    const auto keptBase = runWith ({ base });

    for (const auto& c : cases)
    {
        const auto appliedNext = runWith ({ c.next });
        const auto stepped = runWith ({ base, c.next });

        // Otherwise the case could not tell the two outcomes apart.
        ASSERT_GT (maxDiff (appliedNext, keptBase, 0), 0.0f) << c.what;

        const auto& expected = c.applied ? appliedNext : keptBase;
        for (int ch = 0; ch < 2; ++ch)
            EXPECT_EQ (maxDiff (stepped, expected, ch), 0.0f) << c.what << ", channel " << ch;
    }
}

TEST (CompressionStage, MakeupTargetLaw)
{
    struct Case { bool bypassed; float makeupDb; float expected; };
    const Case cases[] = {
        { true, 6.0f, 1.0f },
        { true, 24.0f, 1.0f },
        { false, 0.0f, 1.0f },
        { false, 6.0f, 1.9953f },
        { false, 12.0f, 3.9811f },
        { false, 24.0f, 15.8489f },
        { false, -100.0f, 0.0f },
    };

    for (const auto& c : cases)
        EXPECT_NEAR (CompressionStage::makeupTarget (c.bypassed, c.makeupDb), c.expected, 1.0e-4)
            << (c.bypassed ? "bypassed, " : "on, ") << c.makeupDb << " dB";
}
