#include "dsp/reference/FilterPair.h"

namespace Reference
{
void FilterPair::prepare()
{
    // The first assignment reserves the normaliser's storage, so later coefficient
    // changes on the audio thread never allocate.
    setCoefficients ({ 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f });
    reset();
}

void FilterPair::setCoefficients (const Array& values) noexcept
{
    normaliser = values;
    const auto* raw = normaliser.getRawCoefficients();
    std::copy (raw, raw + c.size(), c.begin());
}

void FilterPair::reset() noexcept
{
    for (auto& s : state)
        s = { 0.0f, 0.0f };
}

float FilterPair::limitFrequency (float frequency, double sampleRate) noexcept
{
    // 0.49 of the sample rate keeps every design's poles well inside the unit circle in
    // single precision, yet lies above 20 kHz from 44.1 kHz upward, so at the usual rates
    // every filter sounds exactly as designed and only low rates see a lowered cut-off.
    const auto limit = (float) (sampleRate * 0.49);
    return juce::jlimit (1.0f, juce::jmax (1.0f, limit), frequency);
}
} // namespace Reference
