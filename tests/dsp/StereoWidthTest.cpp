#include "support/TestSupport.h"
#include "dsp/StereoWidth.h"
#include "dsp/reference/StereoWidth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace
{
    void processInBlocks (StereoWidth& w, juce::AudioBuffer<float>& b, float width, int blockSize)
    {
        for (int start = 0; start < b.getNumSamples(); start += blockSize)
        {
            const int n = juce::jmin (blockSize, b.getNumSamples() - start);
            juce::AudioBuffer<float> view (b.getArrayOfWritePointers(), b.getNumChannels(), start, n);
            w.process (view, width);
        }
    }

    int nearest (double x) { return (int) std::floor (x + 0.5); }
}

TEST (StereoWidth, DelayLineAndTapsFollowTheSampleRate)
{
    struct Case { double fs; int size, tapA, tapB; };
    const Case cases[] = {
        { 44100.0, 706, 309, 573 },
        { 48000.0, 768, 336, 624 },
        { 96000.0, 1536, 672, 1248 },
        { 100.0, 2, 1, 1 },   // taps held inside the line
    };

    for (const auto& c : cases)
    {
        StereoWidth w;
        w.prepare (c.fs, 100.0f);
        EXPECT_EQ (w.getDelaySize(), c.size) << c.fs;
        EXPECT_EQ (w.getTapA(), c.tapA) << c.fs;
        EXPECT_EQ (w.getTapB(), c.tapB) << c.fs;
    }
}

TEST (StereoWidth, UpToUnityWidthScalesTheSide)
{
    struct Case { float width; float sideScale; };
    const Case cases[] = { { 100.0f, 1.0f }, { 0.0f, 0.0f }, { 50.0f, 0.5f }, { -20.0f, 0.0f } };

    for (const auto& c : cases)
    {
        StereoWidth w;
        w.prepare (48000.0, c.width);
        auto b = TestSupport::makeNoise (3, 2000, 5);
        const auto in = b;
        processInBlocks (w, b, c.width, 512);

        for (int i = 0; i < b.getNumSamples(); ++i)
        {
            const float mid = (in.getSample (0, i) + in.getSample (1, i)) * 0.5f;
            const float side = (in.getSample (0, i) - in.getSample (1, i)) * 0.5f;
            ASSERT_NEAR (b.getSample (0, i), mid + c.sideScale * side, 1.0e-6) << "width " << c.width;
            ASSERT_NEAR (b.getSample (1, i), mid - c.sideScale * side, 1.0e-6) << "width " << c.width;
            ASSERT_EQ (b.getSample (2, i), in.getSample (2, i));
        }
    }
}

TEST (StereoWidth, WideningAMonoSignalSynthesisesSideFromTheTaps)
{
    // L = R: side and its energy are zero, so the image comes only from the 7 ms and 13 ms
    // copies of mid: L, R = (mid +- weight x (dA - dB)) x (1 - 0.04 e), e = (width - 100) / 100.
    struct Case { double fs; float width; double weight; double gain; };
    const Case cases[] = {
        { 44100.0, 200.0f, 0.48, 0.96 },
        { 48000.0, 200.0f, 0.48, 0.96 },
        { 48000.0, 150.0f, 0.48 * std::pow (0.5, 0.78), 0.98 },   // weight about 0.280
    };

    for (const auto& c : cases)
    {
        StereoWidth w;
        w.prepare (c.fs, c.width);

        const auto in = TestSupport::makeNoise (1, 3000, 9);
        juce::AudioBuffer<float> b (2, in.getNumSamples());
        b.copyFrom (0, 0, in, 0, 0, in.getNumSamples());
        b.copyFrom (1, 0, in, 0, 0, in.getNumSamples());
        processInBlocks (w, b, c.width, 700);   // crosses the ends of the delay line and the blocks

        const int tapA = nearest (c.fs * 0.007), tapB = nearest (c.fs * 0.013);
        for (int i = 0; i < b.getNumSamples(); ++i)
        {
            const double mid = in.getSample (0, i);
            const double dA = i >= tapA ? in.getSample (0, i - tapA) : 0.0;
            const double dB = i >= tapB ? in.getSample (0, i - tapB) : 0.0;
            ASSERT_NEAR (b.getSample (0, i), (mid + c.weight * (dA - dB)) * c.gain, 1.0e-5) << c.fs << " Hz, width " << c.width << ", sample " << i;
            ASSERT_NEAR (b.getSample (1, i), (mid - c.weight * (dA - dB)) * c.gain, 1.0e-5) << c.fs << " Hz, width " << c.width << ", sample " << i;
        }
    }
}

TEST (StereoWidth, WideningFollowsTheSmoothedMidAndSideEnergies)
{
    // The energies are tracked here with the 60 ms one-pole; the synthetic side fades out as
    // the side level approaches 0.35 of the mid level, and the gain undoes the loudness that
    // the wider side adds.
    struct Case { const char* what; float sideScale; float width; bool expectWide; };
    const Case cases[] = {
        { "wide material at 200 %", 1.0f, 200.0f, true },     // side about as strong as mid: side doubled, nothing synthesised
        { "partly mono material at 200 %", 0.15f, 200.0f, false },
        { "partly mono material at 150 %", 0.15f, 150.0f, false },
    };

    constexpr double fs = 48000.0;
    const int tapA = nearest (fs * 0.007), tapB = nearest (fs * 0.013);
    const double c = std::exp (-1.0 / (fs * 0.06));

    for (const auto& tc : cases)
    {
        StereoWidth w;
        w.prepare (fs, tc.width);

        const auto source = TestSupport::makeNoise (2, 24000, 21);
        juce::AudioBuffer<float> in (2, source.getNumSamples());
        for (int i = 0; i < in.getNumSamples(); ++i)
        {
            const float m = source.getSample (0, i), s = tc.sideScale * source.getSample (1, i);
            in.setSample (0, i, m + s);
            in.setSample (1, i, m - s);
        }

        auto b = in;
        processInBlocks (w, b, tc.width, 480);

        const double e = (tc.width - 100.0) / 100.0, h = 1.0 + e;
        double midEnergy = 0.0, sideEnergy = 0.0;
        std::vector<double> mids;
        int fullyWide = 0;

        for (int i = 0; i < b.getNumSamples(); ++i)
        {
            const double mid = (in.getSample (0, i) + in.getSample (1, i)) * 0.5;
            const double side = (in.getSample (0, i) - in.getSample (1, i)) * 0.5;
            midEnergy = mid * mid * (1.0 - c) + midEnergy * c;
            sideEnergy = side * side * (1.0 - c) + sideEnergy * c;

            const double mono = 1.0 - juce::jlimit (0.0, 1.0, std::sqrt (sideEnergy / juce::jmax (midEnergy, 1.0e-14)) / 0.35);
            const double dA = i >= tapA ? mids[(size_t) (i - tapA)] : 0.0;
            const double dB = i >= tapB ? mids[(size_t) (i - tapB)] : 0.0;
            mids.push_back (mid);

            const double side2 = 0.48 * std::pow (e, 0.78) * mono * (dA - dB) + h * side;
            const double g = std::sqrt ((sideEnergy + midEnergy + 1.0e-9) / (sideEnergy * h * h + midEnergy + 1.0e-9)) * (1.0 - 0.04 * e * mono);

            ASSERT_NEAR (b.getSample (0, i), (mid + side2) * g, 1.0e-4) << tc.what << ", sample " << i;
            ASSERT_NEAR (b.getSample (1, i), (mid - side2) * g, 1.0e-4) << tc.what << ", sample " << i;

            if (mono == 0.0)
                ++fullyWide;
        }

        // The two kinds of material really are on either side of the 0.35 limit.
        if (tc.expectWide)
            EXPECT_GT (fullyWide, 23000) << tc.what;
        else
            EXPECT_LT (fullyWide, 100) << tc.what;
    }
}

TEST (StereoWidth, MonoBufferPassesAndTheWidthHolds)
{
    StereoWidth w;
    w.prepare (48000.0, 100.0f);

    auto mono = TestSupport::makeNoise (1, 1024, 3);
    const auto in = mono;
    w.process (mono, 0.0f);

    for (int i = 0; i < mono.getNumSamples(); ++i)
        ASSERT_EQ (mono.getSample (0, i), in.getSample (0, i));
    EXPECT_EQ (w.getCurrentWidth(), 100.0f);

    // The ramp towards 0 % starts only with the next stereo block, from 100 %.
    juce::AudioBuffer<float> stereo (2, 1);
    stereo.setSample (0, 0, 1.0f);
    stereo.setSample (1, 0, 0.0f);
    w.process (stereo, 0.0f);
    EXPECT_NEAR (stereo.getSample (0, 0), 0.5f + 0.5f * (1.0f - 1.0f / 1200.0f), 1.0e-6);
}

TEST (StereoWidth, WidthChangeRampsOverTwentyFiveMillisecondsAcrossBlocks)
{
    struct Case { double fs; int steps; int blockSize; };
    const Case cases[] = { { 48000.0, 1200, 500 }, { 44100.0, 1102, 256 } };

    for (const auto& c : cases)
    {
        StereoWidth w;
        w.prepare (c.fs, 100.0f);

        // L = 1, R = 0: mid = side = 0.5, so L = 0.5 + 0.5 x width / 100 while at or below 100 %.
        juce::AudioBuffer<float> b (2, 2 * c.steps);
        for (int i = 0; i < b.getNumSamples(); ++i)
        {
            b.setSample (0, i, 1.0f);
            b.setSample (1, i, 0.0f);
        }
        processInBlocks (w, b, 0.0f, c.blockSize);

        for (int i = 0; i < b.getNumSamples(); ++i)
        {
            const double width = i < c.steps ? 100.0 * (1.0 - (i + 1.0) / c.steps) : 0.0;
            ASSERT_NEAR (b.getSample (0, i), 0.5 + 0.5 * width / 100.0, 1.0e-4) << c.fs << " Hz, sample " << i;
            ASSERT_NEAR (b.getSample (1, i), 0.5 - 0.5 * width / 100.0, 1.0e-4) << c.fs << " Hz, sample " << i;
        }
        EXPECT_EQ (w.getCurrentWidth(), 0.0f);
    }
}

TEST (StereoWidth, ResetClearsTheDelayLineAndJumpsToTheLimitedWidth)
{
    constexpr double fs = 44100.0;
    StereoWidth w;
    w.prepare (fs, 200.0f);

    auto warm = TestSupport::makeNoise (2, 2000, 4);
    w.process (warm, 200.0f);

    w.reset (250.0f);
    EXPECT_EQ (w.getCurrentWidth(), 200.0f);

    // With an empty delay line the synthetic side is silent until the first tap is reached.
    auto b = TestSupport::makeNoise (1, 400, 8);
    juce::AudioBuffer<float> stereo (2, b.getNumSamples());
    stereo.copyFrom (0, 0, b, 0, 0, b.getNumSamples());
    stereo.copyFrom (1, 0, b, 0, 0, b.getNumSamples());
    w.process (stereo, 200.0f);

    for (int i = 0; i < 309; ++i)
    {
        ASSERT_NEAR (stereo.getSample (0, i), b.getSample (0, i) * 0.96f, 1.0e-6) << "sample " << i;
        ASSERT_NEAR (stereo.getSample (1, i), b.getSample (0, i) * 0.96f, 1.0e-6) << "sample " << i;
    }
}

TEST (StereoWidth, MatchesThePreviousSampleBySampleWidthBitForBit)
{
    // The width's passes are compiled as vector code; every sample must still be the one
    // the plain per-sample loop gave, steady and ramping, narrow and wide, in ragged blocks.
    std::mt19937 random (7);
    std::uniform_real_distribution<float> noise (-1.0f, 1.0f);
    juce::AudioBuffer<float> input (2, 48000);

    for (int i = 0; i < input.getNumSamples(); ++i)
    {
        // Mostly mono with a little side, so the synthetic side and the compensation both work.
        const float mid = 0.5f * std::sin (0.03f * (float) i) + 0.1f * noise (random);
        input.setSample (0, i, mid + 0.02f * noise (random));
        input.setSample (1, i, mid - 0.02f * noise (random));
    }

    const float widths[] = { 150.0f, 150.0f, 200.0f, 60.0f, 0.0f, 100.0f, 180.0f, 180.0f, 130.0f };
    const int blockSizes[] = { 1, 7, 64, 333, 512, 4096 };

    for (double fs : { 44100.0, 96000.0 })
    {
        StereoWidth ours;
        Reference::StereoWidth theirs;
        ours.prepare (fs, 120.0f);
        theirs.prepare (fs, 120.0f);
        juce::AudioBuffer<float> a (input), b (input);

        for (int start = 0, block = 0; start < input.getNumSamples(); ++block)
        {
            const int n = juce::jmin (blockSizes[(size_t) block % std::size (blockSizes)], input.getNumSamples() - start);
            const float width = widths[(size_t) (start * (int) std::size (widths) / input.getNumSamples())];
            juce::AudioBuffer<float> viewA (a.getArrayOfWritePointers(), 2, start, n);
            juce::AudioBuffer<float> viewB (b.getArrayOfWritePointers(), 2, start, n);
            ours.process (viewA, width);
            theirs.process (viewB, width);
            start += n;
        }

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < input.getNumSamples(); ++i)
                ASSERT_EQ (a.getSample (ch, i), b.getSample (ch, i)) << fs << " Hz, channel " << ch << ", sample " << i;
    }
}
