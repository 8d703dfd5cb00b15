#include "dsp/reference/DeEsser.h"
#include "common/AudioHelpers.h"

namespace Reference
{
void DeEsser::prepare (double newSampleRate)
{
    sampleRate = newSampleRate;
    sideChain.prepare();
    envelope = 0.0f;

    const auto fs = (float) sampleRate;
    attackCoeff = std::exp (-1.0f / (fs * 0.0015f));
    releaseCoeff = std::exp (-1.0f / (fs * (80.0f * 0.001f)));
    invalidate();
}

void DeEsser::updateFrequency (float frequency) noexcept
{
    if (! AudioHelpers::hasChanged (frequency, lastFrequency))
        return;

    sideChain.setCoefficients (juce::dsp::IIR::ArrayCoefficients<float>::makeHighPass (
        sampleRate, FilterPair::limitFrequency (frequency, sampleRate)));
    lastFrequency = frequency;
}

float DeEsser::gainFor (float env, float amountPercent) noexcept
{
    return gainForFraction (env, amountPercent / 100.0f);
}

void DeEsser::process (juce::AudioBuffer<float>& buffer, float amountPercent) noexcept
{
    const int numChannels = juce::jmin (buffer.getNumChannels(), 2);

    if (numChannels == 0 || amountPercent <= 0.01f)
        return;

    const int numSamples = buffer.getNumSamples();
    auto* const* data = buffer.getArrayOfWritePointers();
    const float a = amountPercent / 100.0f;
    const float channelCount = (float) numChannels;

    for (int i = 0; i < numSamples; ++i)
    {
        float sum = 0.0f;

        for (int ch = 0; ch < numChannels; ++ch)
            sum += std::abs (sideChain.processSample (ch, data[ch][i]));

        const float s = sum / channelCount;
        const float k = s > envelope ? attackCoeff : releaseCoeff;
        envelope = (1.0f - k) * s + k * envelope;

        const float g = gainForFraction (envelope, a);

        for (int ch = 0; ch < numChannels; ++ch)
            data[ch][i] *= g;
    }
}

void DeEsser::reset() noexcept
{
    sideChain.reset();
    envelope = 0.0f;
}

void applySaturation (juce::AudioBuffer<float>& buffer, float driveDecibels, float mixPercent) noexcept
{
    if (driveDecibels <= 0.01f || mixPercent <= 0.01f)
        return;

    const float inGain = AudioHelpers::dbToGain (driveDecibels);
    const float outGain = AudioHelpers::dbToGain (-0.65f * driveDecibels);
    const float m = mixPercent / 100.0f;
    const int numSamples = buffer.getNumSamples();

    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
    {
        auto* data = buffer.getWritePointer (ch);

        for (int i = 0; i < numSamples; ++i)
        {
            const float x = data[i];
            data[i] = x + m * (std::tanh (x * inGain) * outGain - x);
        }
    }
}
} // namespace Reference
