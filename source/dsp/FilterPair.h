#pragma once

#include <juce_dsp/juce_dsp.h>
#include <array>

/** Two second-order IIR filters, one per channel of a stereo signal, always carrying the
    same coefficients. Used by the tone stages and by the de-esser's side-chain.

    The arithmetic is exactly that of juce::dsp::IIR::Filter<float>::processSample
    (transposed direct form II, coefficients divided by a0 as juce::dsp::IIR::Coefficients
    does), but it is inlined and runs over whole blocks with its memory in registers: the
    filters are the largest cost of the chain, and JUCE's per-sample call cannot be inlined.
*/
class FilterPair
{
public:
    /** Six biquad coefficients b0, b1, b2, a0, a1, a2 as JUCE's coefficient makers return them. */
    using Array = std::array<float, 6>;

    /** The five coefficients in use: b0, b1, b2, a1, a2, each divided by a0. */
    using Normalised = std::array<float, 5>;

    /** Loads pass-through coefficients and clears both filters' memories. */
    void prepare();

    /** Loads the same coefficients into both filters (normalised by a0). */
    void setCoefficients (const Array& values) noexcept;

    /** Clears both filters' memories. */
    void reset() noexcept;

    /** Filters one sample of the given channel (0 or 1). */
    float processSample (int channel, float x) noexcept
    {
        auto& s = state[(size_t) channel];
        const float out = (c[0] * x) + s[0];
        s[0] = (c[1] * x) - (c[3] * out) + s[1];
        s[1] = (c[2] * x) - (c[4] * out);
        return out;
    }

    /** Filters a block of the given channel (0 or 1) in place. */
    void process (int channel, float* data, int numSamples) noexcept
    {
        const float b0 = c[0], b1 = c[1], b2 = c[2], a1 = c[3], a2 = c[4];
        auto& s = state[(size_t) channel];
        float s0 = s[0], s1 = s[1];

        for (int i = 0; i < numSamples; ++i)
        {
            const float x = data[i];
            const float out = (b0 * x) + s0;
            s0 = (b1 * x) - (a1 * out) + s1;
            s1 = (b2 * x) - (a2 * out);
            data[i] = out;
        }

        s[0] = s0;
        s[1] = s1;
    }

    /** Filters a block of both channels in place. */
    void processStereo (float* left, float* right, int numSamples) noexcept
    {
        runSeries<1> (this, left, right, numSamples);
    }

    /** Runs a block of both channels through a series of pairs, in place: the same samples
        as calling processStereo on each pair in turn. Taking every stage per sample lets the
        processor overlap the stages' recursions, which one pass per stage cannot do, since
        each pass is a single chain of dependent operations. */
    template <size_t numPairs>
    static void processSeriesStereo (std::array<FilterPair, numPairs>& pairs, float* left, float* right, int numSamples) noexcept
    {
        runSeries<numPairs> (pairs.data(), left, right, numSamples);
    }

    /** The coefficients both filters use. */
    const Normalised& getCoefficients() const noexcept { return c; }

    /** The highest frequency handed to a coefficient maker at the given sample rate.
        Keeps every design strictly below half the sample rate, where the bilinear
        transform stops giving stable filters. */
    static float limitFrequency (float frequency, double sampleRate) noexcept;

private:
    /** Left and right side by side in one vector register (two lanes unused). The compiler
        does not pair the two channels' identical arithmetic by itself; each lane does
        exactly the scalar operations, so the samples are the same. */
    using Lanes = float __attribute__ ((vector_size (16)));

    /** Both channels through numPairs consecutive pairs, per sample. */
    template <size_t numPairs>
    static void runSeries (FilterPair* pairs, float* left, float* right, int numSamples) noexcept
    {
        std::array<std::array<Lanes, 5>, numPairs> k;
        std::array<Lanes, numPairs> s0, s1;

        for (size_t p = 0; p < numPairs; ++p)
        {
            for (size_t j = 0; j < 5; ++j)
                k[p][j] = Lanes { pairs[p].c[j], pairs[p].c[j], 0.0f, 0.0f };

            s0[p] = Lanes { pairs[p].state[0][0], pairs[p].state[1][0], 0.0f, 0.0f };
            s1[p] = Lanes { pairs[p].state[0][1], pairs[p].state[1][1], 0.0f, 0.0f };
        }

        for (int i = 0; i < numSamples; ++i)
        {
            Lanes x { left[i], right[i], 0.0f, 0.0f };

            for (size_t p = 0; p < numPairs; ++p)
            {
                const Lanes out = (k[p][0] * x) + s0[p];
                s0[p] = (k[p][1] * x) - (k[p][3] * out) + s1[p];
                s1[p] = (k[p][2] * x) - (k[p][4] * out);
                x = out;
            }

            left[i] = x[0];
            right[i] = x[1];
        }

        for (size_t p = 0; p < numPairs; ++p)
        {
            pairs[p].state[0] = { s0[p][0], s1[p][0] };
            pairs[p].state[1] = { s0[p][1], s1[p][1] };
        }
    }

    juce::dsp::IIR::Coefficients<float> normaliser;
    Normalised c { 1.0f, 0.0f, 0.0f, 0.0f, 0.0f };
    std::array<std::array<float, 2>, 2> state {};
};
