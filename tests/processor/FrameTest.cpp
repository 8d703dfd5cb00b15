#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace TestSupport;

namespace
{
    struct Setting
    {
        const char* id;
        float value;
    };

    /** A processor whose parameters are set before its first prepareToPlay, so every fade
        starts settled at those values. */
    std::unique_ptr<OrvelAudioProcessor> makeConfigured (double rate, int blockSize, int channels,
                                                         std::initializer_list<Setting> settings)
    {
        auto p = std::make_unique<OrvelAudioProcessor>();

        for (const auto& s : settings)
            p->setParameterValue (s.id, s.value);

        TestSupport::prepare (*p, rate, blockSize, channels);
        return p;
    }

    const std::initializer_list<Setting> allSectionsOff {
        { "toneBypass", 1.0f }, { "compBypass", 1.0f }, { "characterBypass", 1.0f }, { "spaceBypass", 1.0f }
    };

    /** Feeds a constant level on every channel in blocks and returns channel 0 of the output. */
    std::vector<float> runDc (OrvelAudioProcessor& p, int channels, float level, int numSamples, int blockSize = 256)
    {
        std::vector<float> out;

        for (int done = 0; done < numSamples; done += blockSize)
        {
            const int n = juce::jmin (blockSize, numSamples - done);
            juce::AudioBuffer<float> b (channels, n);

            for (int ch = 0; ch < channels; ++ch)
                juce::FloatVectorOperations::fill (b.getWritePointer (ch), level, n);

            process (p, b);

            for (int ch = 1; ch < channels; ++ch)
                EXPECT_EQ (b.getSample (ch, 0), b.getSample (0, 0)) << "channels with equal input must stay equal";

            out.insert (out.end(), b.getReadPointer (0), b.getReadPointer (0) + n);
        }

        return out;
    }

    /** Processes a long buffer in place, block by block. */
    void processInBlocks (OrvelAudioProcessor& p, juce::AudioBuffer<float>& signal, int blockSize)
    {
        for (int start = 0; start < signal.getNumSamples(); start += blockSize)
        {
            const int n = juce::jmin (blockSize, signal.getNumSamples() - start);
            juce::AudioBuffer<float> block (signal.getArrayOfWritePointers(), signal.getNumChannels(), start, n);
            process (p, block);
        }
    }

    float peak (const juce::AudioBuffer<float>& b)
    {
        float m = 0.0f;
        for (int ch = 0; ch < b.getNumChannels(); ++ch)
            m = juce::jmax (m, b.getMagnitude (ch, 0, b.getNumSamples()));
        return m;
    }

    double gainOf (double decibels) { return std::pow (10.0, decibels / 20.0); }

    /** Checks a linear ramp of `length` samples from `from` to `to`, starting at sample 0: sample i
        sits (i + 1) / length of the way, and the ramp takes exactly `length` samples. */
    void expectLinearRamp (const std::vector<float>& out, double from, double to, int length)
    {
        ASSERT_GT ((int) out.size(), length + 1);
        const double tolerance = 2.0e-4 * std::abs (to - from) + 1.0e-6;
        int failures = 0;

        for (int i = 0; i < (int) out.size() && failures < 5; ++i)
        {
            const double share = juce::jmin (1.0, (i + 1.0) / length);
            const double expected = from + share * (to - from);

            if (std::abs (out[(size_t) i] - expected) > tolerance)
            {
                ++failures;
                ADD_FAILURE() << "sample " << i << ": " << out[(size_t) i] << ", expected " << expected;
            }
        }

        // The ramp ends on its last sample and not one sample earlier.
        EXPECT_FLOAT_EQ (out[(size_t) length - 1], (float) to);
        EXPECT_GT (std::abs (out[(size_t) length - 2] - to), 0.5 * std::abs (to - from) / length);
    }

    //==============================================================================
    enum class Switch { mainBypass, compressionSection };

    struct FadeCase
    {
        double rate;
        int expectedLength;
        Switch what;
    };

    class FadeTest : public ::testing::TestWithParam<FadeCase> {};
}

// The main bypass and the section switches fade linearly over floor(0.015 fs) samples.
// A DC input makes the expected output of each sample d + m (w - d) easy to state.
TEST_P (FadeTest, SwitchingCrossFadesLinearlyOverFifteenMilliseconds)
{
    ScopedConfigHome home;
    const auto c = GetParam();
    const int length = c.expectedLength;
    ASSERT_EQ (length, (int) std::floor (0.015 * c.rate));

    const float dry = c.what == Switch::mainBypass ? 0.25f : 0.5f;
    double wetExpected = 0;
    const char* switchId = nullptr;
    std::unique_ptr<OrvelAudioProcessor> p;

    if (c.what == Switch::mainBypass)
    {
        // Every section off, so the processed signal is the DC times the input gain.
        p = makeConfigured (c.rate, 256, 2, { { "toneBypass", 1.0f }, { "compBypass", 1.0f }, { "characterBypass", 1.0f },
                                              { "spaceBypass", 1.0f }, { "inputGain", 6.02f } });
        wetExpected = dry * gainOf (6.02);
        switchId = "mainBypass";
    }
    else
    {
        // Only the compressor runs; at steady state a hard-knee peak compressor turns a DC of
        // level x above threshold T into x (x / T)^(1/ratio - 1).
        p = makeConfigured (c.rate, 256, 2, { { "toneBypass", 1.0f }, { "characterBypass", 1.0f }, { "spaceBypass", 1.0f },
                                              { "compThresh", -24.0f }, { "compRatio", 4.0f },
                                              { "compAttack", 0.1f }, { "compRelease", 5.0f } });
        wetExpected = dry * std::pow (dry / gainOf (-24.0), 1.0 / 4.0 - 1.0);
        switchId = "compBypass";
    }

    const auto warm = runDc (*p, 2, dry, (int) (0.1 * c.rate));
    const float wet = warm.back();
    ASSERT_NEAR (wet, wetExpected, 1.0e-4 * wetExpected);

    p->setParameterValue (switchId, 1.0f);
    const auto fadeOut = runDc (*p, 2, dry, length + 600);
    {
        SCOPED_TRACE ("switching off");
        expectLinearRamp (fadeOut, wet, dry, length);
        EXPECT_EQ (fadeOut.back(), dry);
    }

    if (c.what == Switch::mainBypass)
    {
        p->setParameterValue (switchId, 0.0f);
        const auto fadeIn = runDc (*p, 2, dry, length + 600);
        SCOPED_TRACE ("switching on");
        expectLinearRamp (fadeIn, dry, wet, length);
    }
}

INSTANTIATE_TEST_SUITE_P (Rates, FadeTest,
                          ::testing::Values (FadeCase { 44100.0, 661, Switch::mainBypass },
                                             FadeCase { 48000.0, 720, Switch::mainBypass },
                                             FadeCase { 96000.0, 1440, Switch::mainBypass },
                                             FadeCase { 44100.0, 661, Switch::compressionSection },
                                             FadeCase { 48000.0, 720, Switch::compressionSection },
                                             FadeCase { 96000.0, 1440, Switch::compressionSection }));

//==============================================================================
TEST (FrameTest, SettledMainBypassIsBitExactAndZeroesTheLevels)
{
    ScopedConfigHome home;
    auto p = makePrepared (48000.0, 512);
    p->setParameterValue ("inputGain", 12.0f);
    p->setParameterValue ("reverbMix", 50.0f);
    p->setParameterValue ("satMix", 80.0f);

    auto loud = makeSine (2, 512, 440.0, 48000.0, 0.5f);
    process (*p, loud);
    ASSERT_GT (p->getOutputLevel (0), 0.0f);

    p->setParameterValue ("mainBypass", 1.0f);
    settle (*p, 2);

    for (int block = 0; block < 3; ++block)
    {
        const auto input = makeSine (2, 512, 440.0 + 100 * block, 48000.0, 0.7f);
        auto output = input;
        process (*p, output);

        for (int ch = 0; ch < 2; ++ch)
            EXPECT_EQ (std::memcmp (input.getReadPointer (ch), output.getReadPointer (ch), 512 * sizeof (float)), 0);

        EXPECT_EQ (p->getInputLevel (0), 0.0f);
        EXPECT_EQ (p->getInputLevel (1), 0.0f);
        EXPECT_EQ (p->getOutputLevel (0), 0.0f);
        EXPECT_EQ (p->getOutputLevel (1), 0.0f);
    }
}

//==============================================================================
namespace
{
    struct ResetCase
    {
        const char* switchId;
        bool waitUntilSettled;
    };

    class ResetTest : public ::testing::TestWithParam<ResetCase> {};
}

// A reverb tail shows whether a section was cleared: switched off and settled, the section
// comes back silent; switched back during its fade, it keeps its tail.
TEST_P (ResetTest, SectionsAreClearedOnlyOnceTheFadeHasFinished)
{
    ScopedConfigHome home;
    const auto c = GetParam();
    // Tone off: its filters would otherwise keep feeding a faint decay into the reverb.
    auto p = makeConfigured (48000.0, 256, 2, { { "toneBypass", 1.0f }, { "reverbMix", 100.0f }, { "reverbSize", 100.0f },
                                                { "reverbDamping", 0.0f } });

    auto noise = juce::AudioBuffer<float> (2, 14400);
    juce::Random rng (7);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < noise.getNumSamples(); ++i)
            noise.setSample (ch, i, 0.6f * (rng.nextFloat() - 0.5f));
    processInBlocks (*p, noise, 256);

    p->setParameterValue (c.switchId, 1.0f);
    juce::AudioBuffer<float> silence (2, c.waitUntilSettled ? 720 + 512 : 360);
    silence.clear();
    processInBlocks (*p, silence, 256);

    p->setParameterValue (c.switchId, 0.0f);
    juce::AudioBuffer<float> after (2, 1024);
    after.clear();
    processInBlocks (*p, after, 256);

    if (c.waitUntilSettled)
        EXPECT_LT (peak (after), 1.0e-6f);
    else
        EXPECT_GT (peak (after), 1.0e-3f);
}

INSTANTIATE_TEST_SUITE_P (Switches, ResetTest,
                          ::testing::Values (ResetCase { "mainBypass", true }, ResetCase { "mainBypass", false },
                                             ResetCase { "spaceBypass", true }, ResetCase { "spaceBypass", false }));

//==============================================================================
namespace
{
    struct CapacityCase
    {
        const char* name;
        int preparedChannels; // 0: never prepared
        int blockChannels, blockSamples;
        bool processed;
    };

    class CapacityTest : public ::testing::TestWithParam<CapacityCase> {};
}

// Blocks beyond the prepared capacity pass unchanged, and only the levels are measured.
TEST_P (CapacityTest, OversizeBlocksPassUnprocessedWithLevelsMeasured)
{
    ScopedConfigHome home;
    const auto c = GetParam();
    std::unique_ptr<OrvelAudioProcessor> p;

    if (c.preparedChannels == 0)
    {
        p = std::make_unique<OrvelAudioProcessor>();
        p->setParameterValue ("inputGain", 6.0f);
    }
    else
    {
        p = makeConfigured (48000.0, 512, c.preparedChannels, { { "inputGain", 6.0f } });
    }

    const auto input = makeSine (c.blockChannels, c.blockSamples, 997.0, 48000.0, 0.3f);
    auto output = input;
    process (*p, output);

    if (c.processed)
    {
        EXPECT_GT (maxDifference (input, output), 0.05f);
        return;
    }

    for (int ch = 0; ch < c.blockChannels; ++ch)
        EXPECT_EQ (std::memcmp (input.getReadPointer (ch), output.getReadPointer (ch), (size_t) c.blockSamples * sizeof (float)), 0);

    // From silent meters, one block moves each level 55 % of the way to the block's peak.
    const float peakL = input.getMagnitude (0, 0, c.blockSamples);
    const float peakR = input.getMagnitude (c.blockChannels > 1 ? 1 : 0, 0, c.blockSamples);
    EXPECT_NEAR (p->getInputLevel (0), 0.55f * peakL, 1.0e-6f);
    EXPECT_NEAR (p->getInputLevel (1), 0.55f * peakR, 1.0e-6f);
    EXPECT_NEAR (p->getOutputLevel (0), 0.55f * peakL, 1.0e-6f);
    EXPECT_NEAR (p->getOutputLevel (1), 0.55f * peakR, 1.0e-6f);
}

INSTANTIATE_TEST_SUITE_P (Blocks, CapacityTest,
                          ::testing::Values (CapacityCase { "fullCapacity", 2, 2, 8192, true },
                                             CapacityCase { "oneSampleTooMany", 2, 2, 8193, false },
                                             CapacityCase { "stereoOnMono", 1, 2, 512, false },
                                             CapacityCase { "monoOnMono", 1, 1, 512, true },
                                             CapacityCase { "beforePrepare", 0, 2, 512, false }),
                          [] (const auto& testInfo) { return std::string (testInfo.param.name); });

//==============================================================================
namespace
{
    class ChainTest : public ::testing::TestWithParam<int> {};
}

// At default settings a quiet 1 kHz tone passes the whole chain at unity, so with the input
// gain raised the output is the input scaled by that gain, for mono and for stereo.
TEST_P (ChainTest, DefaultChainPassesAToneScaledByTheInputGain)
{
    ScopedConfigHome home;
    const int channels = GetParam();
    auto p = makeConfigured (48000.0, 512, channels, { { "inputGain", 6.02f } });

    auto signal = makeSine (channels, 24000, 1000.0, 48000.0, 0.05f);
    const auto input = signal;
    processInBlocks (*p, signal, 512);

    const int start = 12000, n = 12000;
    for (int ch = 0; ch < channels; ++ch)
    {
        SCOPED_TRACE (ch);
        const double ratio = signal.getRMSLevel (ch, start, n) / input.getRMSLevel (ch, start, n);
        EXPECT_NEAR (ratio, gainOf (6.02), 0.01);
    }
}

INSTANTIATE_TEST_SUITE_P (Layouts, ChainTest, ::testing::Values (1, 2));

//==============================================================================
// Makeup is applied after every section: 6 dB multiplies by 10^0.3, and switching the
// Compression section off ramps the factor to 1 over the 15 ms fade. A compressor with
// ratio 1 leaves the DC alone, so only the makeup changes the level.
TEST (FrameTest, MakeupGainAndItsRampWhenCompressionGoesOff)
{
    ScopedConfigHome home;
    auto p = makeConfigured (48000.0, 256, 2, { { "toneBypass", 1.0f }, { "characterBypass", 1.0f }, { "spaceBypass", 1.0f },
                                                { "compThresh", 0.0f }, { "compRatio", 1.0f }, { "compMakeup", 6.0f } });
    const float dry = 0.25f;
    const double makeup = std::pow (10.0, 0.3);

    const auto warm = runDc (*p, 2, dry, 4800);
    ASSERT_NEAR (warm.back() / dry, makeup, 1.0e-5);
    EXPECT_NEAR (warm.back() / dry, 1.995, 0.001);

    p->setParameterValue ("compBypass", 1.0f);
    const auto ramp = runDc (*p, 2, dry, 720 + 600);
    expectLinearRamp (ramp, dry * makeup, dry, 720);
    EXPECT_EQ (ramp.back(), dry);
}

// Each gain stage reaches a new value through a 20 ms linear ramp from the current gain.
TEST (FrameTest, GainStagesRampLinearlyOverTwentyMilliseconds)
{
    struct Case { const char* id; float decibels; };

    for (const auto& c : { Case { "inputGain", -48.0f }, Case { "outputGain", 12.0f } })
    {
        SCOPED_TRACE (c.id);
        ScopedConfigHome home;
        auto p = makeConfigured (48000.0, 256, 2, allSectionsOff);
        const float dry = 0.25f;
        runDc (*p, 2, dry, 4800);

        p->setParameterValue (c.id, c.decibels);
        const auto ramp = runDc (*p, 2, dry, 960 + 600);
        expectLinearRamp (ramp, dry, dry * gainOf (c.decibels), 960);
    }

    EXPECT_NEAR (gainOf (-48.0), std::pow (10.0, -2.4), 1.0e-12);
}

// Both gain stages start at gain 0, so the first block of a new instance fades in as the
// product of two 20 ms ramps; a later prepareToPlay keeps the reached gains.
TEST (FrameTest, FirstBlocksFadeInOnceAndALaterPrepareDoesNotFadeAgain)
{
    ScopedConfigHome home;
    auto p = makeConfigured (48000.0, 512, 2, allSectionsOff);
    const float dry = 0.5f;
    const int length = 960;

    const auto first = runDc (*p, 2, dry, 2048, 512);
    const double tolerance = 1.0e-4 * dry;

    for (int i = 0; i < (int) first.size(); ++i)
    {
        const double r = juce::jmin (1.0, (i + 1.0) / length);
        ASSERT_NEAR (first[(size_t) i], dry * r * r, tolerance) << "sample " << i;
    }
    EXPECT_EQ (first[(size_t) length - 1], dry);

    p->releaseResources();
    p->prepareToPlay (48000.0, 512);
    const auto again = runDc (*p, 2, dry, 512, 512);
    EXPECT_EQ (again.front(), dry);
    EXPECT_EQ (again.back(), dry);
}

// Hosts flush parameters with empty process calls: no samples, or no channels at all.
TEST (FrameTest, EmptyBlocksAreHarmless)
{
    ScopedConfigHome home;
    auto p = makeConfigured (48000.0, 512, 2, {});
    juce::MidiBuffer midi;

    juce::AudioBuffer<float> tone = TestSupport::makeSine (2, 512, 1000.0, 48000.0, 0.5f);
    p->processBlock (tone, midi);
    const float levelAfterTone = p->getOutputLevel (0);
    ASSERT_GT (levelAfterTone, 0.0f);

    juce::AudioBuffer<float> noSamples (2, 0);
    p->processBlock (noSamples, midi);
    EXPECT_EQ (p->getOutputLevel (0), levelAfterTone) << "a block of no samples leaves the levels alone";

    juce::AudioBuffer<float> noChannels (0, 512);
    p->processBlock (noChannels, midi);
    EXPECT_FLOAT_EQ (p->getOutputLevel (0), levelAfterTone * 0.92f) << "no channels measure as silence";

    auto after = TestSupport::makeSine (2, 512, 1000.0, 48000.0, 0.5f);
    p->processBlock (after, midi);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < 512; ++i)
            ASSERT_TRUE (std::isfinite (after.getSample (ch, i)));
}
