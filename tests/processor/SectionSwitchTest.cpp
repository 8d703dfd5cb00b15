#include "dsp/SectionSwitch.h"

#include <gtest/gtest.h>
#include <cmath>
#include <functional>

namespace
{
    /** One section driven straight through processSection at 48 kHz (a 720-sample fade),
        with a body that doubles channels 0 and 1 only, as the Tone and Compression bodies
        leave any further channel alone. */
    class SectionSwitchTest : public ::testing::Test
    {
    protected:
        static constexpr int fadeLength = 720;
        static constexpr int numChannels = 4;
        static constexpr float scratchSentinel = 123.0f;

        void SetUp() override
        {
            mix.reset (48000.0, 0.015);
            mix.setCurrentAndTargetValue (1.0f);
            scratch.setSize (numChannels, 8192);
            fillScratch();
        }

        void fillScratch()
        {
            for (int ch = 0; ch < scratch.getNumChannels(); ++ch)
                juce::FloatVectorOperations::fill (scratch.getWritePointer (ch), scratchSentinel, scratch.getNumSamples());
        }

        void run (juce::AudioBuffer<float>& block, bool bypassed)
        {
            processSection (block, block.getNumChannels(), block.getNumSamples(), mix, bypassed, resetDone, scratch,
                            [this, &block] (juce::AudioBuffer<float>& b)
                            {
                                ++bodyCalls;
                                bodyGotTheBlock = &b == &block;

                                for (int ch = 0; ch < juce::jmin (2, b.getNumChannels()); ++ch)
                                    b.applyGain (ch, 0, b.getNumSamples(), 2.0f);
                            },
                            [this] { ++resets; });
        }

        static juce::AudioBuffer<float> noise (int numSamples, int seed)
        {
            juce::AudioBuffer<float> b (numChannels, numSamples);
            juce::Random rng (seed);

            for (int ch = 0; ch < numChannels; ++ch)
                for (int i = 0; i < numSamples; ++i)
                    b.setSample (ch, i, rng.nextFloat() - 0.5f);

            return b;
        }

        /** Channels 0 and 1 must read dry (1 + g), channels 2 and 3 must be untouched. */
        static void expectMix (const juce::AudioBuffer<float>& dry, const juce::AudioBuffer<float>& out,
                               const std::function<double (int)>& shareAt)
        {
            int failures = 0;

            for (int i = 0; i < out.getNumSamples() && failures < 5; ++i)
            {
                const double g = shareAt (i);

                for (int ch = 0; ch < 2; ++ch)
                {
                    const double d = dry.getSample (ch, i);
                    if (std::abs (out.getSample (ch, i) - d * (1.0 + g)) > 2.0e-4 * std::abs (d) + 1.0e-7)
                    {
                        ++failures;
                        ADD_FAILURE() << "channel " << ch << " sample " << i << ": " << out.getSample (ch, i)
                                      << ", expected " << d * (1.0 + g);
                    }
                }

                for (int ch = 2; ch < numChannels; ++ch)
                    if (out.getSample (ch, i) != dry.getSample (ch, i))
                    {
                        ++failures;
                        ADD_FAILURE() << "channel " << ch << " changed at sample " << i;
                    }
            }
        }

        juce::SmoothedValue<float> mix;
        juce::AudioBuffer<float> scratch;
        bool resetDone = false;
        int bodyCalls = 0, resets = 0;
        bool bodyGotTheBlock = false;
    };
}

TEST_F (SectionSwitchTest, OffSectionIsClearedExactlyOncePerOffPeriod)
{
    auto block = noise (256, 1);

    // On: the body works on the block itself and the scratch buffer stays untouched.
    for (int i = 0; i < 3; ++i)
        run (block, false);
    EXPECT_EQ (bodyCalls, 3);
    EXPECT_TRUE (bodyGotTheBlock);
    EXPECT_EQ (scratch.getSample (0, 0), scratchSentinel);
    EXPECT_EQ (scratch.getSample (3, 8191), scratchSentinel);

    // Fading out (three blocks cover the 720 samples): the body runs on a copy; no reset yet.
    bodyCalls = 0;
    for (int i = 0; i < 3; ++i)
        run (block, true);
    EXPECT_EQ (bodyCalls, 3);
    EXPECT_FALSE (bodyGotTheBlock);
    EXPECT_EQ (resets, 0);

    // Off: cleared once, skipped from then on, block left alone.
    bodyCalls = 0;
    for (int i = 0; i < 6; ++i)
    {
        const auto before = block;
        run (block, true);
        EXPECT_EQ (std::memcmp (before.getReadPointer (0), block.getReadPointer (0), 256 * sizeof (float)), 0);
    }
    EXPECT_EQ (bodyCalls, 0);
    EXPECT_EQ (resets, 1);

    // Back on and off again: a new off period, one more reset.
    for (int i = 0; i < 4; ++i)
        run (block, false);
    EXPECT_EQ (resets, 1);
    EXPECT_TRUE (bodyGotTheBlock);

    for (int i = 0; i < 8; ++i)
        run (block, true);
    EXPECT_EQ (resets, 2);
}

// A fade that ends part-way through a block: the rest of the block is fully dry (or fully
// processed), the next block changes state, and channels beyond the body's two never move.
TEST_F (SectionSwitchTest, FadeIsLinearEndsMidBlockAndLeavesFurtherChannelsAlone)
{
    const auto dryOut = noise (1024, 2);
    auto out = dryOut;
    run (out, true);
    expectMix (dryOut, out, [] (int i) { return juce::jmax (0.0, 1.0 - (i + 1.0) / fadeLength); });

    for (int i = fadeLength - 1; i < 1024; ++i)
        ASSERT_EQ (out.getSample (0, i), dryOut.getSample (0, i)) << i;

    bodyCalls = 0;
    auto next = noise (64, 3);
    run (next, true);
    EXPECT_EQ (bodyCalls, 0);
    EXPECT_EQ (resets, 1);

    const auto dryIn = noise (1024, 4);
    out = dryIn;
    run (out, false);
    expectMix (dryIn, out, [] (int i) { return juce::jmin (1.0, (i + 1.0) / fadeLength); });

    for (int i = fadeLength - 1; i < 1024; ++i)
        ASSERT_EQ (out.getSample (1, i), 2.0f * dryIn.getSample (1, i)) << i;

    run (next, false);
    EXPECT_TRUE (bodyGotTheBlock);
}

// Switching back during a fade turns the ramp round from where it is, over the full length.
TEST_F (SectionSwitchTest, SwitchingBackMidFadeRestartsAFullLengthRamp)
{
    const auto firstHalf = noise (fadeLength / 2, 5);
    auto out = firstHalf;
    run (out, true);
    expectMix (firstHalf, out, [] (int i) { return 1.0 - (i + 1.0) / fadeLength; });

    const auto back = noise (1024, 6);
    out = back;
    run (out, false);
    expectMix (back, out, [] (int i) { return juce::jmin (1.0, 0.5 + 0.5 * (i + 1.0) / fadeLength); });
    EXPECT_EQ (resets, 0);
}
