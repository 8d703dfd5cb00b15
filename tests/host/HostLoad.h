#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <cmath>
#include <memory>

/** Loading the built Orvel.vst3 through JUCE's VST3 hosting, as a DAW does, and small
    checks on what comes out of it. */
namespace HostLoad
{
    inline std::unique_ptr<juce::AudioPluginInstance> load (double sampleRate = 48000.0, int blockSize = 512)
    {
        juce::VST3PluginFormat format;
        juce::OwnedArray<juce::PluginDescription> types;
        format.findAllTypesForFile (types, ORVEL_VST3_BUNDLE);

        if (types.size() != 1)
            return nullptr;

        juce::String error;
        return format.createInstanceFromDescription (*types[0], sampleRate, blockSize, error);
    }

    /** A sine on every channel, continuing from phase (in cycles), which it advances. */
    inline void fillSine (juce::AudioBuffer<float>& b, double& phase, double frequency, double sampleRate, float amplitude)
    {
        for (int i = 0; i < b.getNumSamples(); ++i, phase += frequency / sampleRate)
            for (int ch = 0; ch < b.getNumChannels(); ++ch)
                b.setSample (ch, i, amplitude * (float) std::sin (juce::MathConstants<double>::twoPi * phase));
    }

    /** True when every sample is a normal number or zero: no NaN, infinity or subnormal. */
    inline bool allNormalOrZero (const juce::AudioBuffer<float>& b, int numSamples)
    {
        for (int ch = 0; ch < b.getNumChannels(); ++ch)
            for (int i = 0; i < numSamples; ++i)
            {
                const auto c = std::fpclassify (b.getSample (ch, i));

                if (c != FP_NORMAL && c != FP_ZERO)
                    return false;
            }

        return true;
    }
}
