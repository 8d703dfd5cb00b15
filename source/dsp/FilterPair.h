#pragma once

#include <juce_dsp/juce_dsp.h>
#include <array>

/** Two second-order IIR filters, one per channel of a stereo signal, always carrying the
    same coefficients. Used by the tone stages and by the de-esser's side-chain. */
class FilterPair
{
public:
    /** Six biquad coefficients b0, b1, b2, a0, a1, a2 as JUCE's coefficient makers return them. */
    using Array = std::array<float, 6>;

    /** Gives both filters second-order state so that no later coefficient change has to
        allocate on the audio thread, and clears it. */
    void prepare();

    /** Loads the same coefficients into both filters (normalised by a0). */
    void setCoefficients (const Array& values) noexcept;

    /** Clears both filters' memories. */
    void reset() noexcept;

    /** Filters one sample of the given channel (0 or 1). */
    float processSample (int channel, float x) noexcept { return filters[(size_t) channel].processSample (x); }

    /** Access for inspection. */
    const juce::dsp::IIR::Filter<float>& getFilter (int channel) const noexcept { return filters[(size_t) channel]; }

    /** The highest frequency handed to a coefficient maker at the given sample rate.
        Keeps every design strictly below half the sample rate, where the bilinear
        transform stops giving stable filters. */
    static float limitFrequency (float frequency, double sampleRate) noexcept;

private:
    std::array<juce::dsp::IIR::Filter<float>, 2> filters;
};
