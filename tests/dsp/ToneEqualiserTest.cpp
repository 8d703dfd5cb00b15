#include "support/TestSupport.h"
#include "dsp/ToneEqualiser.h"
#include "dsp/DeEsser.h"
#include "dsp/ReferenceBiquad.h"

#include <gtest/gtest.h>
#include <juce_audio_basics/juce_audio_basics.h>

#include <random>
#include <vector>

namespace
{
    namespace RB = ReferenceBiquad;
    using Settings = ToneEqualiser::Settings;
    using Stage = ToneEqualiser::Stage;

    constexpr std::array<Stage, 6> allStages { ToneEqualiser::highPass, ToneEqualiser::lowPass, ToneEqualiser::lowShelf,
                                               ToneEqualiser::midPeak, ToneEqualiser::highShelf, ToneEqualiser::airShelf };

    // The six stages in processing order, designed from the textbook formulas: Butterworth
    // high- and low-pass, low shelf 120 Hz Q 0.707, peak 2500 Hz Q 0.9, high shelf 6500 Hz
    // and air shelf 12000 Hz, both Q 0.707.
    std::array<RB::Coeffs, 6> referenceDesign (const Settings& s, double fs)
    {
        return { RB::design (RB::Kind::highPass, fs, s.hpfFreq, RB::butterworthQ),
                 RB::design (RB::Kind::lowPass, fs, s.lpfFreq, RB::butterworthQ),
                 RB::design (RB::Kind::lowShelf, fs, 120.0, 0.707, s.lowGain),
                 RB::design (RB::Kind::peak, fs, 2500.0, 0.9, s.midGain),
                 RB::design (RB::Kind::highShelf, fs, 6500.0, 0.707, s.highGain),
                 RB::design (RB::Kind::highShelf, fs, 12000.0, 0.707, s.airGain) };
    }

    // Both channels of a pair share one coefficient set; the channel is kept in the
    // signature so the checks below read as what they mean.
    std::array<float, 5> coefficientsOf (const FilterPair& pair, int)
    {
        return pair.getCoefficients();
    }

    std::array<std::array<float, 5>, 6> allCoefficients (const ToneEqualiser& eq)
    {
        std::array<std::array<float, 5>, 6> result {};
        for (size_t i = 0; i < allStages.size(); ++i)
            result[i] = coefficientsOf (eq.getStage (allStages[i]), 0);
        return result;
    }

    float& valueOf (Settings& s, Stage stage)
    {
        switch (stage)
        {
            case ToneEqualiser::highPass:  return s.hpfFreq;
            case ToneEqualiser::lowPass:   return s.lpfFreq;
            case ToneEqualiser::lowShelf:  return s.lowGain;
            case ToneEqualiser::midPeak:   return s.midGain;
            case ToneEqualiser::highShelf: return s.highGain;
            case ToneEqualiser::airShelf:
            case ToneEqualiser::numStages: break;
        }
        return s.airGain;
    }

    // Amplitude of the component at `frequency` over the given samples, by projection on a sine
    // and a cosine. Exact when the window holds a whole number of periods.
    double amplitudeAt (const float* data, int numSamples, double frequency, double fs)
    {
        double s = 0.0, c = 0.0;
        for (int i = 0; i < numSamples; ++i)
        {
            const double phase = 2.0 * RB::pi * frequency * i / fs;
            s += data[i] * std::sin (phase);
            c += data[i] * std::cos (phase);
        }
        return 2.0 * std::sqrt (s * s + c * c) / numSamples;
    }

    const Settings toneCases[] = {
        { 80.0f, 20000.0f, 0.0f, 0.0f, 0.0f, 0.0f },          // bands flat: only the two cut-offs act
        { 20.0f, 20000.0f, 12.0f, -6.0f, 9.0f, -12.0f },
        { 300.0f, 6000.0f, -18.0f, 18.0f, -9.0f, 18.0f },
        { 500.0f, 4000.0f, 18.0f, -18.0f, 18.0f, -18.0f },
    };
}

TEST (ToneEqualiser, CoefficientsMatchTheTextbookDesignsOnBothChannels)
{
    for (double fs : { 44100.0, 48000.0, 96000.0 })
    {
        for (const auto& s : toneCases)
        {
            ToneEqualiser eq;
            eq.prepare (fs);
            eq.update (s);
            const auto expected = referenceDesign (s, fs);

            for (size_t i = 0; i < allStages.size(); ++i)
            {
                const auto ref = RB::normalised (expected[i]);
                const auto left = coefficientsOf (eq.getStage (allStages[i]), 0);
                const auto right = coefficientsOf (eq.getStage (allStages[i]), 1);

                for (size_t k = 0; k < 5; ++k)
                {
                    EXPECT_NEAR (left[k], ref[k], 1.0e-4) << "fs " << fs << " stage " << i << " coefficient " << k;
                    EXPECT_EQ (left[k], right[k]) << "fs " << fs << " stage " << i << " coefficient " << k;
                }
            }
        }
    }
}

TEST (ToneEqualiser, SteadyStateGainOfASineFollowsTheCascadeMagnitude)
{
    constexpr double fs = 48000.0;
    constexpr int settleSamples = 24000;
    constexpr int windowSamples = 48000; // one second: a whole number of periods for every integer frequency

    for (const auto& s : toneCases)
    {
        const auto expected = referenceDesign (s, fs);

        for (double f : { 50.0, 120.0, 1000.0, 2500.0, 6500.0, 12000.0, 18000.0 })
        {
            ToneEqualiser eq;
            eq.prepare (fs);
            eq.update (s);

            juce::AudioBuffer<float> b (2, settleSamples + windowSamples);
            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < b.getNumSamples(); ++i)
                    b.setSample (ch, i, 0.1f * (float) std::sin (2.0 * RB::pi * f * i / fs + ch));

            eq.process (b);

            double expectedGain = 1.0;
            for (const auto& k : expected)
                expectedGain *= RB::magnitude (k, f, fs);

            for (int ch = 0; ch < 2; ++ch)
            {
                const double measured = amplitudeAt (b.getReadPointer (ch, settleSamples), windowSamples, f, fs) / 0.1;
                EXPECT_NEAR (20.0 * std::log10 (measured / expectedGain), 0.0, 0.02)
                    << "hpf " << s.hpfFreq << " lpf " << s.lpfFreq << " at " << f << " Hz, channel " << ch;
            }
        }
    }
}

TEST (ToneEqualiser, FiltersOnlyTheFirstTwoChannelsEachWithItsOwnMemory)
{
    constexpr double fs = 44100.0;
    const Settings s { 150.0f, 9000.0f, 6.0f, -4.0f, 5.0f, 3.0f };
    const auto design = referenceDesign (s, fs);

    ToneEqualiser eq, fresh;
    for (auto* e : { &eq, &fresh })
    {
        e->prepare (fs);
        e->update (s);
    }

    // A mono block is channel 0 alone, through the element-0 filters.
    auto mono = TestSupport::makeNoise (1, 2048, 1);
    const auto monoIn = mono;
    eq.process (mono);

    std::array<RB::Filter, 6> ref;
    for (size_t i = 0; i < ref.size(); ++i)
        ref[i].setCoefficients (design[i]);

    for (int i = 0; i < mono.getNumSamples(); ++i)
    {
        double x = monoIn.getSample (0, i);
        for (auto& f : ref)
            x = f.process (x);
        ASSERT_NEAR (mono.getSample (0, i), x, 1.0e-4) << "sample " << i;
    }

    // Channel 1's filters were not touched by the mono block: on a four-channel block its
    // output equals that of an equaliser that never ran. Channels 2 and 3 pass unchanged.
    auto quad = TestSupport::makeNoise (4, 1024, 2);
    const auto quadIn = quad;
    auto quadFresh = quad;
    eq.process (quad);
    fresh.process (quadFresh);

    for (int i = 0; i < quad.getNumSamples(); ++i)
    {
        ASSERT_EQ (quad.getSample (1, i), quadFresh.getSample (1, i)) << "sample " << i;
        ASSERT_EQ (quad.getSample (2, i), quadIn.getSample (2, i)) << "sample " << i;
        ASSERT_EQ (quad.getSample (3, i), quadIn.getSample (3, i)) << "sample " << i;
    }

    EXPECT_GT (std::abs (quad.getSample (0, 0) - quadFresh.getSample (0, 0)), 0.0f)
        << "channel 0 should carry the memory of the mono block";
}

TEST (ToneEqualiser, CoefficientChangeKeepsTheFilterMemory)
{
    // Coefficients change at a block boundary without clearing any stage's memory; the
    // reference cascade swaps its coefficients in the same way.
    constexpr double fs = 48000.0;
    Settings s { 120.0f, 12000.0f, 3.0f, 2.0f, -3.0f, 4.0f };

    ToneEqualiser eq;
    eq.prepare (fs);
    eq.update (s);

    std::array<RB::Filter, 6> ref;
    auto design = referenceDesign (s, fs);
    for (size_t i = 0; i < ref.size(); ++i)
        ref[i].setCoefficients (design[i]);

    for (int block = 0; block < 4; ++block)
    {
        if (block == 2)
        {
            s.lowGain += 1.0f;
            s.hpfFreq = 200.0f;
            eq.update (s);
            design = referenceDesign (s, fs);
            for (size_t i = 0; i < ref.size(); ++i)
                ref[i].setCoefficients (design[i]);
        }

        auto b = TestSupport::makeNoise (1, 512, 10u + (unsigned) block);
        const auto in = b;
        eq.process (b);

        for (int i = 0; i < b.getNumSamples(); ++i)
        {
            double x = in.getSample (0, i);
            for (auto& f : ref)
                x = f.process (x);
            ASSERT_NEAR (b.getSample (0, i), x, 1.0e-4) << "block " << block << " sample " << i;
        }
    }
}

TEST (ToneEqualiser, RecomputesOnlyTheStageThatMovedByMoreThanTheTolerance)
{
    struct Case { float delta; bool recompute; };
    const Case cases[] = { { 0.0005f, false }, { 0.001f, false }, { -0.001f, false }, { 0.0011f, true }, { -0.0011f, true }, { 1.0f, true } };

    // Base values where a step of 0.001 stays 0.001 or less after single-precision rounding
    // (near 16 kHz one float step is already 0.00098).
    const Settings base { 80.0f, 4000.0f, 0.0f, 0.0f, 0.0f, 0.0f };

    for (const auto stage : allStages)
    {
        for (const auto& c : cases)
        {
            ToneEqualiser eq;
            eq.prepare (48000.0);
            eq.update (base);
            const auto before = allCoefficients (eq);

            auto moved = base;
            valueOf (moved, stage) += c.delta;
            eq.update (moved);
            const auto after = allCoefficients (eq);

            for (size_t i = 0; i < allStages.size(); ++i)
            {
                const bool shouldChange = c.recompute && allStages[i] == stage;
                EXPECT_EQ (before[i] != after[i], shouldChange)
                    << "moved stage " << (int) stage << " by " << c.delta << ", looked at stage " << i;
                EXPECT_EQ (coefficientsOf (eq.getStage (allStages[i]), 0), coefficientsOf (eq.getStage (allStages[i]), 1));
            }
        }
    }
}

TEST (ToneEqualiser, ToleranceIsMeasuredFromTheLastAppliedValue)
{
    // Small steps that are each within the tolerance add up: the third step is 0.0015 Hz away
    // from the value the coefficients were made from and must recompute.
    ToneEqualiser eq;
    eq.prepare (48000.0);
    Settings s { 100.0f, 20000.0f, 0.0f, 0.0f, 0.0f, 0.0f };
    eq.update (s);
    const auto original = coefficientsOf (eq.getStage (ToneEqualiser::highPass), 0);

    s.hpfFreq = 100.0005f;
    eq.update (s);
    EXPECT_EQ (coefficientsOf (eq.getStage (ToneEqualiser::highPass), 0), original);

    s.hpfFreq = 100.0015f;
    eq.update (s);
    EXPECT_NE (coefficientsOf (eq.getStage (ToneEqualiser::highPass), 0), original);
}

TEST (ToneEqualiser, UsualSampleRatesKeepEveryFrequencyAsDesigned)
{
    using Maker = juce::dsp::IIR::ArrayCoefficients<float>;
    const Settings s { 80.0f, 20000.0f, 0.0f, 0.0f, 0.0f, 6.0f };

    for (double fs : { 44100.0, 48000.0 })
    {
        ToneEqualiser eq;
        eq.prepare (fs);
        eq.update (s);

        juce::dsp::IIR::Coefficients<float> lowPass, air;
        lowPass = Maker::makeLowPass (fs, 20000.0f);
        air = Maker::makeHighShelf (fs, 12000.0f, 0.707f, juce::Decibels::decibelsToGain (6.0f));

        for (int ch = 0; ch < 2; ++ch)
        {
            for (int k = 0; k < 5; ++k)
            {
                EXPECT_EQ (coefficientsOf (eq.getStage (ToneEqualiser::lowPass), ch)[(size_t) k], lowPass.coefficients[k]) << fs;
                EXPECT_EQ (coefficientsOf (eq.getStage (ToneEqualiser::airShelf), ch)[(size_t) k], air.coefficients[k]) << fs;
            }
        }
    }
}

TEST (FilterPair, LimitFrequencyStopsJustBelowHalfTheSampleRate)
{
    struct Case { float frequency; double fs; float expected; };
    const Case cases[] = {
        { 20000.0f, 44100.0, 20000.0f },
        { 20000.0f, 48000.0, 20000.0f },
        { 20000.0f, 22050.0, 10804.5f },
        { 12000.0f, 16000.0, 7840.0f },
        { 10000.0f, 8000.0, 3920.0f },
        { 80.0f, 8000.0, 80.0f },
    };

    for (const auto& c : cases)
        EXPECT_FLOAT_EQ (FilterPair::limitFrequency (c.frequency, c.fs), c.expected) << c.frequency << " Hz at " << c.fs;
}

TEST (ToneEqualiser, StaysStableAtLowSampleRatesWithEveryBoostAtMaximum)
{
    // At these rates the 20 kHz low-pass, the 12 kHz air shelf and a 10 kHz side-chain lie at or
    // above half the sample rate; unlimited, the designs put poles outside the unit circle.
    for (double fs : { 8000.0, 11025.0, 16000.0, 22050.0 })
    {
        ToneEqualiser eq;
        eq.prepare (fs);
        eq.update ({ 20.0f, 20000.0f, 18.0f, 18.0f, 18.0f, 18.0f });

        DeEsser deEsser;
        deEsser.prepare (fs);
        deEsser.updateFrequency (10000.0f);

        const int blockSize = 256;
        const int numBlocks = (int) (3.0 * fs) / blockSize;
        float firstSecondPeak = 0.0f, lastSecondPeak = 0.0f, deEssExcess = 0.0f;
        std::mt19937 rng (7);
        std::uniform_real_distribution<float> dist (-0.25f, 0.25f);
        int n = 0;

        for (int block = 0; block < numBlocks; ++block)
        {
            juce::AudioBuffer<float> b (2, blockSize);
            for (int i = 0; i < blockSize; ++i, ++n)
            {
                // Noise plus a sine close to the top of the band, where the limited filters sit.
                const float x = dist (rng) + 0.25f * (float) std::sin (2.0 * RB::pi * 0.47 * n);
                b.setSample (0, i, x);
                b.setSample (1, i, -x);
            }

            const auto input = b;
            auto deEssed = b;
            eq.process (b);
            deEsser.process (deEssed, 100.0f);

            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < blockSize; ++i)
                    ASSERT_TRUE (std::isfinite (b.getSample (ch, i))) << fs << " Hz, block " << block;

            const float peak = b.getMagnitude (0, blockSize);
            const double t = (double) n / fs;
            if (t > 0.25 && t <= 1.25)
                firstSecondPeak = juce::jmax (firstSecondPeak, peak);
            if (t > 2.0)
                lastSecondPeak = juce::jmax (lastSecondPeak, peak);

            ASSERT_TRUE (std::isfinite (deEsser.getEnvelope())) << fs << " Hz, block " << block;
            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < blockSize; ++i)
                    deEssExcess = juce::jmax (deEssExcess, std::abs (deEssed.getSample (ch, i)) - std::abs (input.getSample (ch, i)));
        }

        // Four +18 dB bands can stack to about +72 dB at most; an input peak of 0.5 stays far below this.
        EXPECT_LT (lastSecondPeak, 0.5f * 4000.0f) << fs;
        EXPECT_GT (firstSecondPeak, 0.0f) << fs;
        EXPECT_LT (lastSecondPeak, 2.0f * firstSecondPeak) << "output keeps growing at " << fs << " Hz";
        EXPECT_LT (deEsser.getEnvelope(), 10.0f) << fs;
        EXPECT_LE (deEssExcess, 0.0f) << "the de-esser only attenuates, at " << fs << " Hz";
    }
}
