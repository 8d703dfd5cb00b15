#include "dsp/DeEsser.h"
#include "dsp/ReferenceBiquad.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace
{
    namespace RB = ReferenceBiquad;

    // A low voice-like tone with bursts of loud hiss every other 40 ms, so the detector
    // alternately attacks and releases through the whole range of gains.
    juce::AudioBuffer<float> sibilantSignal (int numChannels, int numSamples, double fs, unsigned seed, int firstSample = 0)
    {
        std::mt19937 rng (seed);
        std::uniform_real_distribution<float> dist (-1.0f, 1.0f);
        juce::AudioBuffer<float> b (numChannels, numSamples);

        for (int ch = 0; ch < numChannels; ++ch)
            for (int i = 0; i < numSamples; ++i)
            {
                const bool hiss = ((int) ((firstSample + i) / (0.04 * fs)) % 2) == 1;
                const float hissLevel = hiss ? (ch == 1 ? 0.05f : 0.1f) : 0.0f;
                b.setSample (ch, i, 0.4f * (float) std::sin (2.0 * RB::pi * 220.0 * i / fs + ch) + hissLevel * dist (rng));
            }
        return b;
    }

    // The de-esser written out from its description: Butterworth high-pass side-chain per
    // channel, mean rectified level of the first two channels, 1.5 ms / 80 ms one-pole
    // envelope, gain 1 / (excess over 0.03 x amount x 35 + 1) limited to 0.35..1.
    class ReferenceDeEsser
    {
    public:
        ReferenceDeEsser (double sampleRate, double frequency)
            : attack (std::exp (-1.0 / (sampleRate * 0.0015))),
              release (std::exp (-1.0 / (sampleRate * 0.080)))
        {
            for (auto& f : sideChain)
                f.setCoefficients (RB::design (RB::Kind::highPass, sampleRate, frequency, RB::butterworthQ));
        }

        void process (juce::AudioBuffer<float>& b, double amountPercent)
        {
            const int n = juce::jmin (2, b.getNumChannels());
            const double a = amountPercent / 100.0;

            for (int i = 0; i < b.getNumSamples(); ++i)
            {
                double sum = 0.0;
                for (int ch = 0; ch < n; ++ch)
                    sum += std::abs (sideChain[(size_t) ch].process (b.getSample (ch, i)));

                const double s = sum / n;
                const double k = s > envelope ? attack : release;
                envelope = (1.0 - k) * s + k * envelope;

                const double g = juce::jlimit (0.35, 1.0, 1.0 / (juce::jmax (envelope - 0.03, 0.0) * a * 35.0 + 1.0));
                for (int ch = 0; ch < n; ++ch)
                    b.setSample (ch, i, (float) (b.getSample (ch, i) * g));
            }
        }

        double envelope = 0.0;

    private:
        double attack, release;
        std::array<RB::Filter, 2> sideChain;
    };

    double saturated (double x, double driveDb, double mixPercent)
    {
        const double inGain = std::pow (10.0, driveDb / 20.0);
        const double outGain = std::pow (10.0, -0.65 * driveDb / 20.0);
        return x + mixPercent / 100.0 * (std::tanh (x * inGain) * outGain - x);
    }

    juce::AudioBuffer<float> ramp (int numChannels, int numSamples)
    {
        // Every channel sweeps a different part of -1.5 .. 1.5, through the linear and the
        // flat part of the curve.
        juce::AudioBuffer<float> b (numChannels, numSamples);
        for (int ch = 0; ch < numChannels; ++ch)
            for (int i = 0; i < numSamples; ++i)
                b.setSample (ch, i, -1.5f + 3.0f * (float) i / (float) (numSamples - 1) * (float) (ch + 1) / (float) numChannels);
        return b;
    }
}

TEST (DeEsser, GainLaw)
{
    struct Case { float envelope; float amount; float expected; };
    const Case cases[] = {
        { 0.05f, 100.0f, 1.0f / 1.7f },   // 0.588
        { 0.1f, 100.0f, 0.35f },          // 1 / 3.45 = 0.29, held at the floor
        { 0.5f, 100.0f, 0.35f },
        { 0.03f, 100.0f, 1.0f },
        { 0.01f, 100.0f, 1.0f },
        { 0.0f, 100.0f, 1.0f },
        { 0.05f, 50.0f, 1.0f / 1.35f },
        { 0.1f, 20.0f, 1.0f / 1.49f },
        { 0.5f, 10.0f, 1.0f / 2.645f },
    };

    for (const auto& c : cases)
        EXPECT_NEAR (DeEsser::gainFor (c.envelope, c.amount), c.expected, 1.0e-5) << "envelope " << c.envelope << ", " << c.amount << " %";
}

TEST (DeEsser, FollowsTheReferenceOnTheFirstTwoChannelsOnly)
{
    struct Case { int numChannels; double fs; float frequency; float amount; };
    const Case cases[] = {
        { 1, 44100.0, 6000.0f, 100.0f },   // mono: side-chain level is channel 0's alone
        { 2, 44100.0, 6000.0f, 100.0f },
        { 2, 48000.0, 3000.0f, 35.0f },
        { 4, 48000.0, 8000.0f, 70.0f },    // channels 2 and 3 take no part
    };

    for (const auto& c : cases)
    {
        DeEsser deEsser;
        deEsser.prepare (c.fs);
        deEsser.updateFrequency (c.frequency);
        ReferenceDeEsser reference (c.fs, c.frequency);

        double lowestGain = 1.0;

        for (int block = 0; block < 8; ++block)
        {
            auto b = sibilantSignal (c.numChannels, 1000, c.fs, 100u + (unsigned) block, block * 1000);
            const auto in = b;
            auto expected = b;
            deEsser.process (b, c.amount);
            reference.process (expected, c.amount);

            for (int ch = 0; ch < c.numChannels; ++ch)
                for (int i = 0; i < b.getNumSamples(); ++i)
                {
                    if (ch >= 2)
                        ASSERT_EQ (b.getSample (ch, i), in.getSample (ch, i)) << "channel " << ch;
                    else
                        ASSERT_NEAR (b.getSample (ch, i), expected.getSample (ch, i), 1.0e-4)
                            << c.numChannels << " channels, block " << block << ", channel " << ch << ", sample " << i;

                    if (ch == 0 && std::abs (in.getSample (0, i)) > 0.05f)
                        lowestGain = juce::jmin (lowestGain, (double) (b.getSample (0, i) / in.getSample (0, i)));
                }

            EXPECT_NEAR (deEsser.getEnvelope(), reference.envelope, 1.0e-4);
        }

        EXPECT_LT (lowestGain, 0.9) << "the hiss bursts should have been de-essed";
    }
}

TEST (DeEsser, AmountAtOrBelowThresholdFreezesEverything)
{
    constexpr double fs = 48000.0;
    const auto b1 = sibilantSignal (2, 3000, fs, 1);
    const auto b2 = sibilantSignal (2, 3000, fs, 2);
    const auto b3 = sibilantSignal (2, 3000, fs, 3);

    DeEsser skipped;
    skipped.prepare (fs);
    skipped.updateFrequency (5000.0f);
    auto s1 = b1, s3 = b3;
    skipped.process (s1, 100.0f);
    skipped.process (s3, 100.0f);

    struct Case { float amount; bool runs; };
    for (const auto& c : { Case { 0.0f, false }, Case { 0.01f, false }, Case { 0.02f, true } })
    {
        DeEsser deEsser;
        deEsser.prepare (fs);
        deEsser.updateFrequency (5000.0f);

        auto x1 = b1, x2 = b2, x3 = b3;
        deEsser.process (x1, 100.0f);
        const float envelopeBefore = deEsser.getEnvelope();
        ASSERT_GT (envelopeBefore, 0.03f);

        deEsser.process (x2, c.amount);
        float changed = 0.0f;
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < x2.getNumSamples(); ++i)
                changed = juce::jmax (changed, std::abs (x2.getSample (ch, i) - b2.getSample (ch, i)));

        deEsser.process (x3, 100.0f);
        float fromSkipped = 0.0f;
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < x3.getNumSamples(); ++i)
                fromSkipped = juce::jmax (fromSkipped, std::abs (x3.getSample (ch, i) - s3.getSample (ch, i)));

        if (c.runs)
        {
            EXPECT_GT (changed, 0.0f) << c.amount;
            EXPECT_GT (fromSkipped, 0.0f) << c.amount;
        }
        else
        {
            // Buffer unchanged; filters and envelope carry on as if the block never happened.
            EXPECT_EQ (changed, 0.0f) << c.amount;
            EXPECT_EQ (fromSkipped, 0.0f) << c.amount;
        }
    }
}

TEST (Saturation, MatchesTheDriveAndMixLawOnEveryChannel)
{
    struct Case { float drive; float mix; bool active; };
    const Case cases[] = {
        { 12.0f, 100.0f, true },    // tanh (3.981 x) x 0.407
        { 12.0f, 50.0f, true },     // mean of dry and fully saturated
        { 24.0f, 30.0f, true },
        { 0.02f, 100.0f, true },
        { 6.0f, 0.02f, true },
        { 0.01f, 100.0f, false },   // drive or mix at 0.01 or less: off
        { 0.0f, 100.0f, false },
        { 12.0f, 0.01f, false },
        { 12.0f, 0.0f, false },
    };

    for (const auto& c : cases)
    {
        auto b = ramp (4, 301);
        const auto in = b;
        applySaturation (b, c.drive, c.mix);

        for (int ch = 0; ch < 4; ++ch)
            for (int i = 0; i < b.getNumSamples(); ++i)
            {
                const float x = in.getSample (ch, i);
                if (c.active)
                    ASSERT_NEAR (b.getSample (ch, i), saturated (x, c.drive, c.mix), 2.0e-6)
                        << "drive " << c.drive << " mix " << c.mix << " channel " << ch << " x " << x;
                else
                    ASSERT_EQ (b.getSample (ch, i), x) << "drive " << c.drive << " mix " << c.mix;
            }
    }
}

TEST (Saturation, TwelveDecibelsOfDriveAtFullMix)
{
    // inGain 10^0.6 = 3.981, outGain 10^-0.39 = 0.407.
    juce::AudioBuffer<float> b (1, 3);
    b.setSample (0, 0, 0.5f);
    b.setSample (0, 1, -2.0f);
    b.setSample (0, 2, 1.0e-4f);
    applySaturation (b, 12.0f, 100.0f);

    EXPECT_NEAR (b.getSample (0, 0), std::tanh (3.981 * 0.5) * 0.407, 1.0e-3);
    EXPECT_NEAR (b.getSample (0, 1), -0.407, 1.0e-3);                          // loud peaks bounded by outGain
    EXPECT_NEAR (20.0 * std::log10 (b.getSample (0, 2) / 1.0e-4), 4.2, 0.01);  // quiet parts rise by 0.35 x drive
}

TEST (Saturation, StaysWithinAMillionthOfTheLibraryTanhOverTheWholeInputRange)
{
    // The stage computes tanh without the C library. Against the stage written with
    // std::tanh, for every drive the stage can see, sweep both signs of floats from the
    // smallest normal up to 256 (past 9 / inGain the curve is flat at +-outGain), taking
    // every 61st bit pattern: about 17 million inputs per drive.
    const auto sweep = []
    {
        std::vector<float> values;
        for (std::uint32_t bits = 0x00800000u; ; bits += 61u)
        {
            float x;
            std::memcpy (&x, &bits, sizeof (x));
            if (x > 256.0f)
                break;
            values.push_back (x);
            values.push_back (-x);
        }
        return values;
    }();

    juce::AudioBuffer<float> b (1, (int) sweep.size());
    float worst = 0.0f;

    for (float drive : { 0.02f, 6.0f, 12.0f, 24.0f })
    {
        const float inGain = juce::Decibels::decibelsToGain (drive), outGain = juce::Decibels::decibelsToGain (-0.65f * drive);
        std::copy (sweep.begin(), sweep.end(), b.getWritePointer (0));
        applySaturation (b, drive, 100.0f);

        for (size_t i = 0; i < sweep.size(); ++i)
        {
            const float x = sweep[i];
            const float expected = x + 1.0f * (std::tanh (x * inGain) * outGain - x);
            worst = std::max (worst, std::abs (b.getSample (0, (int) i) - expected));
        }
    }

    EXPECT_LE (worst, 1.0e-6f);
    RecordProperty ("worstDeviation", std::to_string (worst));
}
