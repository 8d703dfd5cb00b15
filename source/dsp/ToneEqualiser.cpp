#include "dsp/ToneEqualiser.h"
#include "common/AudioHelpers.h"

using Maker = juce::dsp::IIR::ArrayCoefficients<float>;

void ToneEqualiser::prepare (double newSampleRate)
{
    sampleRate = newSampleRate;

    for (auto& s : stages)
        s.prepare();

    invalidate();
}

void ToneEqualiser::invalidate() noexcept
{
    for (int i = 0; i < numStages; ++i)
        lastApplied[(size_t) i] = sentinelFor (i);
}

FilterPair::Array ToneEqualiser::design (Stage stage, float value, double rate) noexcept
{
    const auto limited = [rate] (float f) { return FilterPair::limitFrequency (f, rate); };
    const auto gain = AudioHelpers::dbToGain (value);

    switch (stage)
    {
        case highPass:  return Maker::makeHighPass (rate, limited (value));
        case lowPass:   return Maker::makeLowPass (rate, limited (value));
        case lowShelf:  return Maker::makeLowShelf (rate, limited (lowShelfFreq), shelfQ, gain);
        case midPeak:   return Maker::makePeakFilter (rate, limited (midPeakFreq), peakQ, gain);
        case highShelf: return Maker::makeHighShelf (rate, limited (highShelfFreq), shelfQ, gain);
        case airShelf:  return Maker::makeHighShelf (rate, limited (airShelfFreq), shelfQ, gain);
        case numStages: break;
    }

    return { 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f };
}

void ToneEqualiser::update (const Settings& s) noexcept
{
    const std::array<float, numStages> values { s.hpfFreq, s.lpfFreq, s.lowGain, s.midGain, s.highGain, s.airGain };

    for (int i = 0; i < numStages; ++i)
    {
        const auto idx = (size_t) i;

        if (AudioHelpers::hasChanged (values[idx], lastApplied[idx]))
        {
            stages[idx].setCoefficients (design ((Stage) i, values[idx], sampleRate));
            lastApplied[idx] = values[idx];
        }
    }
}

void ToneEqualiser::process (juce::AudioBuffer<float>& buffer) noexcept
{
    const int numChannels = juce::jmin (buffer.getNumChannels(), 2);
    const int numSamples = buffer.getNumSamples();

    // All six stages per sample: the same samples as stage by stage over the block, since
    // each stage only sees the output of the one before it, but the stages' recursions
    // overlap instead of running one after another.
    if (numChannels == 2)
    {
        FilterPair::processSeriesStereo (stages, buffer.getWritePointer (0), buffer.getWritePointer (1), numSamples);
    }
    else if (numChannels == 1)
    {
        auto* data = buffer.getWritePointer (0);

        for (auto& s : stages)
            s.process (0, data, numSamples);
    }
}

void ToneEqualiser::reset() noexcept
{
    for (auto& s : stages)
        s.reset();
}
