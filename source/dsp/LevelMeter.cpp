#include "dsp/LevelMeter.h"

namespace
{
    float peakOf (const juce::AudioBuffer<float>& buffer, int channel) noexcept
    {
        const auto range = juce::FloatVectorOperations::findMinAndMax (buffer.getReadPointer (channel), buffer.getNumSamples());
        return juce::jmax (-range.getStart(), range.getEnd());
    }

    void follow (std::atomic<float>& level, float peak) noexcept
    {
        const float v = level.load();
        level.store (peak > v ? v + 0.55f * (peak - v) : v * 0.92f);
    }
}

void updateLevelMeter (const juce::AudioBuffer<float>& buffer, std::atomic<float>& levelL, std::atomic<float>& levelR) noexcept
{
    const int numChannels = buffer.getNumChannels();
    const float pL = numChannels > 0 ? peakOf (buffer, 0) : 0.0f;
    const float pR = numChannels > 1 ? peakOf (buffer, 1) : pL;

    follow (levelL, pL);
    follow (levelR, pR);
}
