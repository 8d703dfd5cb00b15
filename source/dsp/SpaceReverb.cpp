#include "dsp/SpaceReverb.h"
#include "common/AudioHelpers.h"

void SpaceReverb::prepare (double sampleRate)
{
    reverb.setSampleRate (sampleRate);
    reverb.reset();
}

juce::Reverb::Parameters SpaceReverb::makeParameters (float size, float damping, float mix) noexcept
{
    const float m = juce::jlimit (0.0f, 1.0f, mix / 100.0f);
    const float dry = 1.0f - 0.35f * m;
    const float wet = 0.45f * m;
    const float norm = std::sqrt (juce::jmax (dry * dry + wet * wet, 1.0e-6f));

    // juce::Reverb scales its wet level by 3 and its dry level by 2 internally; these
    // factors undo that so the effective gains are dry / norm and wet / norm.
    juce::Reverb::Parameters p;
    p.roomSize = juce::jlimit (0.0f, 1.0f, size / 100.0f);
    p.damping = juce::jlimit (0.0f, 1.0f, damping / 100.0f);
    p.wetLevel = (wet / norm) / 3.0f;
    p.dryLevel = (dry / norm) * 0.5f;
    p.width = 1.0f;
    p.freezeMode = 0.0f;
    return p;
}

void SpaceReverb::update (float size, float damping, float mix) noexcept
{
    using AudioHelpers::hasChanged;

    if (! hasChanged (size, lastApplied[0]) && ! hasChanged (damping, lastApplied[1]) && ! hasChanged (mix, lastApplied[2]))
        return;

    params = makeParameters (size, damping, mix);
    reverb.setParameters (params);
    lastApplied = { size, damping, mix };
}

void SpaceReverb::process (juce::AudioBuffer<float>& buffer) noexcept
{
    const auto numChannels = buffer.getNumChannels();

    // The reverb is mono or stereo only; a wider buffer passes unchanged.
    if (numChannels < 1 || numChannels > 2 || buffer.getNumSamples() == 0)
        return;

    if (numChannels == 1)
        reverb.processMono (buffer.getWritePointer (0), buffer.getNumSamples());
    else
        reverb.processStereo (buffer.getWritePointer (0), buffer.getWritePointer (1), buffer.getNumSamples());
}
