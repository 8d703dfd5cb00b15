#pragma once

#include "common/ParameterIds.h"
#include "dsp/reference/CompressionStage.h"
#include "dsp/reference/DeEsser.h"
#include "dsp/reference/SpaceReverb.h"
#include "dsp/reference/StereoWidth.h"
#include "dsp/reference/ToneEqualiser.h"

#include <juce_dsp/juce_dsp.h>

/* A frozen copy of the processor's processing frame, built from the frozen section copies
   (JUCE's Reverb and Compressor, std::tanh, std::pow, per-sample smoothers), as it was
   before the optimised code replaced it. Kept for the equivalence test only: it must not
   change. It reads the 26 raw parameter values from an array instead of a parameter tree. */
namespace Reference
{
class ReferenceChain
{
public:
    /** The raw values of the 26 parameters, indexed by ParameterIds::Index. */
    using Values = std::array<float, ParameterIds::count>;

    /** Prepares every stage for the rate, reading the values the processor would read. */
    void prepareToPlay (const Values& values, double sampleRate, int samplesPerBlock, int numOutputChannels);

    /** Processes one block in place with the given parameter values, as processBlock did. */
    void processBlock (juce::AudioBuffer<float>& buffer, const Values& values) noexcept;

private:
    float raw (ParameterIds::Index index) const noexcept { return current[(size_t) index]; }
    bool isBypassed (ParameterIds::Index index) const noexcept;
    float makeupTarget() const noexcept;

    void invalidateDspCaches() noexcept;
    void updateFilters() noexcept;
    void updateCompressors() noexcept;
    void updateReverb() noexcept;
    void resetAllSections() noexcept;
    void processChain (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples, const bool (&sectionBypassed)[4]) noexcept;
    void crossFadeWithDry (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples) noexcept;
    void applyMakeup (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples) noexcept;

    Values current {};
    double currentSampleRate = 44100.0;
    juce::dsp::Gain<float> inputGainStage, outputGainStage;

    ToneEqualiser tone;
    CompressionStage compression;
    DeEsser deEsser;
    StereoWidth stereoWidth;
    SpaceReverb reverb;

    juce::AudioBuffer<float> sectionScratch, dryBuffer;
    int maxBlockSamples = 0, maxChannels = 0;

    juce::SmoothedValue<float> mainMix;
    std::array<juce::SmoothedValue<float>, 4> sectionMix;
    juce::SmoothedValue<float> makeupGain;
    bool mainResetDone = false;
    std::array<bool, 4> sectionResetDone {};
};
} // namespace Reference
