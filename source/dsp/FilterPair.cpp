#include "dsp/FilterPair.h"

void FilterPair::prepare()
{
    for (auto& f : filters)
    {
        *f.coefficients = Array { 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f };
        f.reset();
    }
}

void FilterPair::setCoefficients (const Array& values) noexcept
{
    for (auto& f : filters)
        *f.coefficients = values;
}

void FilterPair::reset() noexcept
{
    for (auto& f : filters)
        f.reset();
}

float FilterPair::limitFrequency (float frequency, double sampleRate) noexcept
{
    // 0.49 of the sample rate keeps every design's poles well inside the unit circle in
    // single precision, yet lies above 20 kHz from 44.1 kHz upward, so at the usual rates
    // every filter sounds exactly as designed and only low rates see a lowered cut-off.
    const auto limit = (float) (sampleRate * 0.49);
    return juce::jlimit (1.0f, juce::jmax (1.0f, limit), frequency);
}
