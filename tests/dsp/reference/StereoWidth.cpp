#include "dsp/reference/StereoWidth.h"

#include <cmath>

namespace Reference
{
void StereoWidth::prepare (double newSampleRate, float widthPercent)
{
    sampleRate = newSampleRate;
    delaySize = juce::jmax (2, (int) std::round (sampleRate * 0.016));
    delay.assign ((size_t) delaySize, 0.0f);
    writePos = 0;

    tapA = juce::jlimit (1, delaySize - 1, (int) std::round (sampleRate * 0.007));
    tapB = juce::jlimit (1, delaySize - 1, (int) std::round (sampleRate * 0.013));

    smoothedWidth.reset (sampleRate, 0.025);
    smoothedWidth.setCurrentAndTargetValue (widthPercent);

    energyCoeff = (float) std::exp (-1.0 / (sampleRate * 0.06));
    midEnergy = sideEnergy = 0.0f;
}

void StereoWidth::reset (float widthPercent) noexcept
{
    std::fill (delay.begin(), delay.end(), 0.0f);
    writePos = 0;
    midEnergy = sideEnergy = 0.0f;
    smoothedWidth.setCurrentAndTargetValue (juce::jlimit (0.0f, 200.0f, widthPercent));
}

void StereoWidth::process (juce::AudioBuffer<float>& buffer, float widthPercent) noexcept
{
    const int numSamples = buffer.getNumSamples();

    if (buffer.getNumChannels() < 2 || numSamples == 0 || delaySize < 2 || delay.empty())
        return;

    smoothedWidth.setTargetValue (juce::jlimit (0.0f, 200.0f, widthPercent));

    auto* left = buffer.getWritePointer (0);
    auto* right = buffer.getWritePointer (1);
    auto* line = delay.data();
    const float c = energyCoeff;

    // The synthetic side's weight depends only on the width, so it is recomputed only
    // when the smoothed width has moved.
    float lastW = -1.0f, e = 0.0f, h = 1.0f, synthWeight = 0.0f, k = 1.0f;

    for (int i = 0; i < numSamples; ++i)
    {
        const float l = left[i], r = right[i];
        const float mid = (l + r) * 0.5f;
        const float side = (l - r) * 0.5f;

        midEnergy = mid * mid * (1.0f - c) + midEnergy * c;
        sideEnergy = side * side * (1.0f - c) + sideEnergy * c;

        int ia = writePos - tapA;
        int ib = writePos - tapB;
        if (ia < 0) ia += delaySize;
        if (ib < 0) ib += delaySize;
        const float dA = line[ia];
        const float dB = line[ib];

        line[writePos] = mid;
        if (++writePos == delaySize)
            writePos = 0;

        const float w = smoothedWidth.getNextValue();

        if (w != lastW)
        {
            lastW = w;
            k = juce::jlimit (0.0f, 1.0f, w / 100.0f);
            e = juce::jlimit (0.0f, 1.0f, (w - 100.0f) / 100.0f);
            h = 1.0f + e;
            synthWeight = 0.48f * std::pow (e, 0.78f);
        }

        if (w <= 100.0f)
        {
            left[i] = mid + k * side;
            right[i] = mid - k * side;
        }
        else
        {
            const float ratio = std::sqrt (juce::jmax (sideEnergy, 0.0f) / juce::jmax (midEnergy, 1.0e-14f)) / 0.35f;
            const float mono = 1.0f - juce::jlimit (0.0f, 1.0f, ratio);
            const float side2 = synthWeight * mono * (dA - dB) + h * side;
            const float g = std::sqrt ((sideEnergy + midEnergy + 1.0e-9f) / (sideEnergy * h * h + midEnergy + 1.0e-9f))
                          * (1.0f - 0.04f * e * mono);
            left[i] = (mid + side2) * g;
            right[i] = (mid - side2) * g;
        }
    }
}
} // namespace Reference
