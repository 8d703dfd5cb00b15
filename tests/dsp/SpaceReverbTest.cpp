#include "support/TestSupport.h"
#include "dsp/SpaceReverb.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace
{
    // Constant-power mix law: dry 1 - 0.35 m, wet 0.45 m, both divided by their combined norm.
    struct Levels { double dry, wet; };
    Levels effectiveLevels (double mixPercent)
    {
        const double m = juce::jlimit (0.0, 1.0, mixPercent / 100.0);
        const double dry = 1.0 - 0.35 * m, wet = 0.45 * m;
        const double norm = std::sqrt (dry * dry + wet * wet);
        return { dry / norm, wet / norm };
    }
}

TEST (SpaceReverb, MixLawKeepsCombinedPowerConstant)
{
    // juce::Reverb multiplies dryLevel by 2 and wetLevel by 3.
    struct Case { float mix; float dryLevel, wetLevel, effectiveDry, effectiveWet; };
    const Case cases[] = {
        { 0.0f, 0.5f, 0.0f, 1.0f, 0.0f },
        { 25.0f, 0.496f, 0.041f, 0.992f, 0.122f },
        { 50.0f, 0.482f, 0.088f, 0.965f, 0.263f },
        { 100.0f, 0.411f, 0.190f, 0.822f, 0.569f },
        { 130.0f, 0.411f, 0.190f, 0.822f, 0.569f },   // limited to 100 %
        { -10.0f, 0.5f, 0.0f, 1.0f, 0.0f },
    };

    for (const auto& c : cases)
    {
        const auto p = SpaceReverb::makeParameters (18.0f, 35.0f, c.mix);
        EXPECT_NEAR (p.dryLevel, c.dryLevel, 1.0e-3) << c.mix;
        EXPECT_NEAR (p.wetLevel, c.wetLevel, 1.0e-3) << c.mix;
        EXPECT_NEAR (2.0f * p.dryLevel, c.effectiveDry, 1.0e-3) << c.mix;
        EXPECT_NEAR (3.0f * p.wetLevel, c.effectiveWet, 1.0e-3) << c.mix;

        const auto expected = effectiveLevels (c.mix);
        EXPECT_NEAR (2.0 * p.dryLevel, expected.dry, 1.0e-6) << c.mix;
        EXPECT_NEAR (3.0 * p.wetLevel, expected.wet, 1.0e-6) << c.mix;
        EXPECT_NEAR (std::pow (2.0 * p.dryLevel, 2.0) + std::pow (3.0 * p.wetLevel, 2.0), 1.0, 1.0e-5) << c.mix;
    }
}

TEST (SpaceReverb, SizeAndDampingAreFractionsLimitedToOne)
{
    struct Case { float size, damping; float roomSize, dampingFraction; };
    const Case cases[] = { { 18.0f, 35.0f, 0.18f, 0.35f }, { 100.0f, 0.0f, 1.0f, 0.0f }, { 140.0f, -5.0f, 1.0f, 0.0f } };

    for (const auto& c : cases)
    {
        const auto p = SpaceReverb::makeParameters (c.size, c.damping, 40.0f);
        EXPECT_FLOAT_EQ (p.roomSize, c.roomSize);
        EXPECT_FLOAT_EQ (p.damping, c.dampingFraction);
        EXPECT_FLOAT_EQ (p.width, 1.0f);
        EXPECT_FLOAT_EQ (p.freezeMode, 0.0f);
    }
}

TEST (SpaceReverb, DirectSignalComesThroughAtTheEffectiveDryGain)
{
    // The reverberated part needs more than 25 ms to come back, so the first sample after an
    // impulse is the direct signal alone.
    for (int numChannels : { 1, 2 })
    {
        for (float mix : { 0.0f, 25.0f, 50.0f, 100.0f })
        {
            SpaceReverb reverb;
            reverb.prepare (48000.0);
            reverb.update (50.0f, 50.0f, mix);

            juce::AudioBuffer<float> silence (numChannels, 2048);   // lets the level ramps settle
            silence.clear();
            reverb.process (silence);

            juce::AudioBuffer<float> impulse (numChannels, 64);
            impulse.clear();
            for (int ch = 0; ch < numChannels; ++ch)
                impulse.setSample (ch, 0, 1.0f);
            reverb.process (impulse);

            for (int ch = 0; ch < numChannels; ++ch)
                EXPECT_NEAR (impulse.getSample (ch, 0), effectiveLevels (mix).dry, 1.0e-5) << numChannels << " channels, mix " << mix;
        }
    }
}

TEST (SpaceReverb, ZeroMixPassesTheInputUnchanged)
{
    for (int numChannels : { 1, 2 })
    {
        SpaceReverb reverb;
        reverb.prepare (44100.0);
        reverb.update (80.0f, 20.0f, 0.0f);

        for (int block = 0; block < 40; ++block)
        {
            auto b = TestSupport::makeNoise (numChannels, 512, 30u + (unsigned) block);
            const auto in = b;
            reverb.process (b);

            if (block < 2)
                continue;   // the dry level ramps from JUCE's default over the first 10 ms

            for (int ch = 0; ch < numChannels; ++ch)
                for (int i = 0; i < b.getNumSamples(); ++i)
                    ASSERT_EQ (b.getSample (ch, i), in.getSample (ch, i)) << numChannels << " channels, block " << block;
        }
    }
}

TEST (SpaceReverb, WiderBuffersPassUnchanged)
{
    for (int numChannels : { 3, 4 })
    {
        SpaceReverb reverb;
        reverb.prepare (48000.0);
        reverb.update (60.0f, 30.0f, 100.0f);

        auto b = TestSupport::makeNoise (numChannels, 4096, 40);
        const auto in = b;
        reverb.process (b);

        for (int ch = 0; ch < numChannels; ++ch)
            for (int i = 0; i < b.getNumSamples(); ++i)
                ASSERT_EQ (b.getSample (ch, i), in.getSample (ch, i)) << numChannels << " channels";
    }
}

TEST (SpaceReverb, SettingsChangeTogetherOnlyBeyondTheTolerance)
{
    struct Values { float size, damping, mix; };
    struct Case { const char* what; Values next; bool applied; };
    const Values base { 20.0f, 30.0f, 40.0f };
    const Case cases[] = {
        { "size +0.001", { 20.001f, 30.0f, 40.0f }, false },
        { "all three +0.0009", { 20.0009f, 30.0009f, 40.0009f }, false },
        { "size +0.0011", { 20.0011f, 30.0f, 40.0f }, true },
        { "damping -0.0011", { 20.0f, 29.9989f, 40.0f }, true },
        { "mix moves and takes a small size move along", { 20.0009f, 30.0f, 60.0f }, true },
    };

    for (const auto& c : cases)
    {
        SpaceReverb reverb;
        reverb.prepare (48000.0);
        reverb.update (base.size, base.damping, base.mix);
        reverb.update (c.next.size, c.next.damping, c.next.mix);

        const auto& expected = c.applied ? c.next : base;
        const auto& p = reverb.getParameters();
        EXPECT_FLOAT_EQ (p.roomSize, expected.size / 100.0f) << c.what;
        EXPECT_FLOAT_EQ (p.damping, expected.damping / 100.0f) << c.what;
        EXPECT_NEAR (2.0 * p.dryLevel, effectiveLevels (expected.mix).dry, 1.0e-6) << c.what;
        EXPECT_NEAR (3.0 * p.wetLevel, effectiveLevels (expected.mix).wet, 1.0e-6) << c.what;
    }
}
