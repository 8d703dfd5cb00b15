#include "dsp/DeEsser.h"
#include "common/AudioHelpers.h"
#include "dsp/PreciseMath.h"

namespace
{
    /** Samples handled per run; bounds the stack arrays. */
    constexpr int maxRun = 64;
}

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

    // The same arithmetic as a sample-by-sample loop, in two passes per run: the side-chain
    // filters with the envelope (two independent recursions, which the processor overlaps),
    // then the gains, which the compiler vectorises.
    for (int pos = 0; pos < numSamples; pos += maxRun)
    {
        const int n = juce::jmin (maxRun, numSamples - pos);
        const float* left = data[0] + pos;
        const float* right = data[numChannels - 1] + pos;
        float gains[maxRun];
        float env = envelope;

        for (int i = 0; i < n; ++i)
        {
            float sum = std::abs (sideChain.processSample (0, left[i]));

            if (numChannels == 2)
                sum += std::abs (sideChain.processSample (1, right[i]));

            const float s = sum / channelCount;
            const float k = s > env ? attackCoeff : releaseCoeff;
            env = (1.0f - k) * s + k * env;
            gains[i] = env;
        }

        envelope = env;

        for (int i = 0; i < n; ++i)
            gains[i] = gainForFraction (gains[i], a);

        for (int ch = 0; ch < numChannels; ++ch)
            for (int i = 0; i < n; ++i)
                data[ch][pos + i] *= gains[i];
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

    // PreciseMath::tanh is the correctly rounded float tanh; std::tanh (glibc's tanhf) is
    // within two units in the last place of it, so each sample stays within 1.2e-7 * m *
    // outGain of the std::tanh result (checked over the whole float range in the tests).
    // Unlike the library call it lets the loop be vectorised.
    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
    {
        auto* data = buffer.getWritePointer (ch);

        for (int i = 0; i < numSamples; ++i)
        {
            const float x = data[i];
            data[i] = x + m * (PreciseMath::tanh (x * inGain) * outGain - x);
        }
    }
}
