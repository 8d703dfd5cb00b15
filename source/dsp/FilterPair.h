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

    /** Filters a block of both channels in place. The two channels' recursions are
        independent, so running them side by side lets the processor overlap them. */
    void processStereo (float* left, float* right, int numSamples) noexcept
    {
        const float b0 = c[0], b1 = c[1], b2 = c[2], a1 = c[3], a2 = c[4];
        float l0 = state[0][0], l1 = state[0][1], r0 = state[1][0], r1 = state[1][1];

        for (int i = 0; i < numSamples; ++i)
        {
            const float xl = left[i], xr = right[i];
            const float outL = (b0 * xl) + l0;
            const float outR = (b0 * xr) + r0;
            l0 = (b1 * xl) - (a1 * outL) + l1;
            r0 = (b1 * xr) - (a1 * outR) + r1;
            l1 = (b2 * xl) - (a2 * outL);
            r1 = (b2 * xr) - (a2 * outR);
            left[i] = outL;
            right[i] = outR;
        }

        state[0] = { l0, l1 };
        state[1] = { r0, r1 };
    }

    /** Runs a block of both channels through a series of pairs, in place: the same samples
        as calling processStereo on each pair in turn. Taking every stage per sample lets the
        processor overlap the stages' recursions, which one pass per stage cannot do, since
        each pass is a single chain of dependent operations. */
    template <size_t numPairs>
    static void processSeriesStereo (std::array<FilterPair, numPairs>& pairs, float* left, float* right, int numSamples) noexcept
    {
        std::array<Normalised, numPairs> c;
        std::array<std::array<float, 4>, numPairs> s;   // left s0, s1, right s0, s1

        for (size_t p = 0; p < numPairs; ++p)
        {
            c[p] = pairs[p].c;
            s[p] = { pairs[p].state[0][0], pairs[p].state[0][1], pairs[p].state[1][0], pairs[p].state[1][1] };
        }

        for (int i = 0; i < numSamples; ++i)
        {
            float xl = left[i], xr = right[i];

            for (size_t p = 0; p < numPairs; ++p)
            {
                const auto& k = c[p];
                auto& m = s[p];
                const float outL = (k[0] * xl) + m[0];
                const float outR = (k[0] * xr) + m[2];
                m[0] = (k[1] * xl) - (k[3] * outL) + m[1];
                m[2] = (k[1] * xr) - (k[3] * outR) + m[3];
                m[1] = (k[2] * xl) - (k[4] * outL);
                m[3] = (k[2] * xr) - (k[4] * outR);
                xl = outL;
                xr = outR;
            }

            left[i] = xl;
            right[i] = xr;
        }

        for (size_t p = 0; p < numPairs; ++p)
        {
            pairs[p].state[0] = { s[p][0], s[p][1] };
            pairs[p].state[1] = { s[p][2], s[p][3] };
        }
    }

    /** The coefficients both filters use. */
    const Normalised& getCoefficients() const noexcept { return c; }

    /** The highest frequency handed to a coefficient maker at the given sample rate.
        Keeps every design strictly below half the sample rate, where the bilinear
        transform stops giving stable filters. */
    static float limitFrequency (float frequency, double sampleRate) noexcept;

private:
    juce::dsp::IIR::Coefficients<float> normaliser;
    Normalised c { 1.0f, 0.0f, 0.0f, 0.0f, 0.0f };
    std::array<std::array<float, 2>, 2> state {};
};
