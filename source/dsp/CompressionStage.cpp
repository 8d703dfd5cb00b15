#include "dsp/CompressionStage.h"
#include "common/AudioHelpers.h"
#include "dsp/PreciseMath.h"

namespace
{
    constexpr float sentinel = 999.0f;

    /** Samples handled per run; bounds the stack arrays. */
    constexpr int maxRun = 64;

    /** juce::dsp::BallisticsFilter's coefficient for a time in ms: 0 below 1 us, else
        exp (-2 pi 1000 / (rate * time)), computed in double and stored as float. */
    float ballisticsCoefficient (double sampleRate, float timeMs) noexcept
    {
        const double expFactor = -2.0 * juce::MathConstants<double>::pi * 1000.0 / sampleRate;
        return timeMs < 1.0e-3f ? 0.0f : (float) std::exp (expFactor / timeMs);
    }

    /** One step of the peak envelope, as juce::dsp::BallisticsFilter takes it. */
    inline float follow (float& y, float x, float attack, float release) noexcept
    {
        const float level = std::abs (x);
        const float cte = level > y ? attack : release;
        y = level + cte * (y - level);
        return y;
    }
}

void CompressionStage::prepare (double newSampleRate, int)
{
    sampleRate = newSampleRate;
    computeCoefficients();
    reset();
}

void CompressionStage::invalidate() noexcept
{
    lastApplied.fill (sentinel);
}

void CompressionStage::update (const Settings& s) noexcept
{
    const std::array<float, 4> values { s.threshold, s.ratio, s.attack, s.release };
    bool changed = false;

    for (size_t i = 0; i < values.size(); ++i)
        changed = changed || AudioHelpers::hasChanged (values[i], lastApplied[i]);

    if (! changed)
        return;

    thresholdDecibels = s.threshold;
    ratio = s.ratio;
    attackMs = s.attack;
    releaseMs = s.release;
    computeCoefficients();
    lastApplied = values;
}

void CompressionStage::computeCoefficients() noexcept
{
    threshold = juce::Decibels::decibelsToGain (thresholdDecibels, -200.0f);
    thresholdInverse = 1.0f / threshold;
    ratioInverse = 1.0f / ratio;
    attackCoeff = ballisticsCoefficient (sampleRate, attackMs);
    releaseCoeff = ballisticsCoefficient (sampleRate, releaseMs);
}

void CompressionStage::applyGains (float* data, const float* envelopes, int n) const noexcept
{
    // The gain is env / threshold raised to 1 / ratio - 1 at or above the threshold, 1 below.
    // PreciseMath::pow instead of std::pow lets both loops be vectorised; its gain is within
    // a relative 1.6e-7 of the exact power (std::pow's within 6e-8).
    const float exponent = ratioInverse - 1.0f;
    float gains[maxRun];

    for (int i = 0; i < n; ++i)
        gains[i] = PreciseMath::pow (envelopes[i] * thresholdInverse, exponent);

    for (int i = 0; i < n; ++i)
        data[i] = PreciseMath::choose (envelopes[i] < threshold, 1.0f, gains[i]) * data[i];
}

void CompressionStage::process (juce::AudioBuffer<float>& buffer) noexcept
{
    const int numChannels = juce::jmin (buffer.getNumChannels(), 2);
    const int numSamples = buffer.getNumSamples();
    auto* const* data = buffer.getArrayOfWritePointers();

    for (int pos = 0; pos < numSamples; pos += maxRun)
    {
        const int n = juce::jmin (maxRun, numSamples - pos);
        float env[2][maxRun];

        // The envelopes are the only recursion; with two channels both advance in one loop
        // so that their chains overlap.
        if (numChannels == 2)
        {
            float yl = envelope[0], yr = envelope[1];

            for (int i = 0; i < n; ++i)
            {
                env[0][i] = follow (yl, data[0][pos + i], attackCoeff, releaseCoeff);
                env[1][i] = follow (yr, data[1][pos + i], attackCoeff, releaseCoeff);
            }

            envelope = { yl, yr };
        }
        else if (numChannels == 1)
        {
            for (int i = 0; i < n; ++i)
                env[0][i] = follow (envelope[0], data[0][pos + i], attackCoeff, releaseCoeff);
        }

        for (int ch = 0; ch < numChannels; ++ch)
            applyGains (data[ch] + pos, env[ch], n);
    }
}

void CompressionStage::reset() noexcept
{
    envelope.fill (0.0f);
}

float CompressionStage::makeupTarget (bool sectionBypassed, float makeupDecibels) noexcept
{
    return sectionBypassed ? 1.0f : AudioHelpers::dbToGain (makeupDecibels);
}
