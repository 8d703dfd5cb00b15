#pragma once

#include "common/AudioHelpers.h"

/* A frozen copy of the section switching as it was before the optimised code replaced it,
   kept for the equivalence test only: it must not change. */
namespace Reference
{

/** Runs one switchable section on one block, cross-fading its output against its input.

    A section that is on processes the block in place. A section that is fading processes
    a copy in `scratch` and is blended per sample with a linear ramp of the mix smoother.
    A section that is off and settled is skipped, and its state is cleared once per off
    period so that it starts from silence when it comes back.

    @param buffer      the block, processed in place
    @param numChannels channels of the block that take part in the cross-fade
    @param numSamples  samples in the block
    @param mix         the section's mix smoother: 1 = section fully in, 0 = fully out
    @param bypassed    whether the section's power is off for this block
    @param resetDone   true once the section has been cleared in the current off period
    @param scratch     working buffer with capacity for the block
    @param body        callable processing a juce::AudioBuffer<float>& in place
    @param reset       callable clearing the section's state
*/
template <typename Body, typename Reset>
void processSection (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples,
                     juce::SmoothedValue<float>& mix, bool bypassed, bool& resetDone,
                     juce::AudioBuffer<float>& scratch, Body&& body, Reset&& reset)
{
    using namespace AudioHelpers;

    if (bypassed)
    {
        mix.setTargetValue (0.0f);

        if (! mix.isSmoothing() && mix.getCurrentValue() <= mixDryThreshold)
        {
            if (! resetDone)
            {
                reset();
                resetDone = true;
            }
            return;
        }
    }
    else
    {
        mix.setTargetValue (1.0f);
    }

    resetDone = false;

    if (! mix.isSmoothing() && mix.getCurrentValue() >= mixWetThreshold)
    {
        body (buffer);
        return;
    }

    scratch.setSize (numChannels, numSamples, false, false, true);

    for (int ch = 0; ch < numChannels; ++ch)
        scratch.copyFrom (ch, 0, buffer, ch, 0, numSamples);

    body (scratch);

    auto* const* dry = buffer.getArrayOfWritePointers();
    auto* const* wet = scratch.getArrayOfReadPointers();

    for (int i = 0; i < numSamples; ++i)
    {
        const float g = mix.getNextValue();

        if (g <= mixDryThreshold)
            continue;

        for (int ch = 0; ch < numChannels; ++ch)
        {
            const float d = dry[ch][i];
            const float w = wet[ch][i];
            dry[ch][i] = g >= mixWetThreshold ? w : d + g * (w - d);
        }
    }
}
} // namespace Reference
