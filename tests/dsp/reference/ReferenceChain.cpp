#include "dsp/reference/ReferenceChain.h"
#include "dsp/reference/SectionSwitch.h"
#include "common/AudioHelpers.h"

namespace Reference
{
using namespace AudioHelpers;
using ParameterIds::Index;

namespace
{
    enum Section { toneSection, compressionSection, characterSection, spaceSection, numSections };

    constexpr std::array<Index, numSections> sectionBypassIds {
        ParameterIds::toneBypass, ParameterIds::compBypass, ParameterIds::characterBypass, ParameterIds::spaceBypass
    };

    constexpr double sectionFadeSeconds = 0.015;
    constexpr double gainRampSeconds = 0.02;
    constexpr int minimumCapacity = 8192;
}

bool ReferenceChain::isBypassed (Index index) const noexcept
{
    return isOn (raw (index));
}

float ReferenceChain::makeupTarget() const noexcept
{
    return CompressionStage::makeupTarget (isBypassed (ParameterIds::compBypass), raw (ParameterIds::compMakeup));
}

void ReferenceChain::prepareToPlay (const Values& values, double sampleRate, int samplesPerBlock, int numOutputChannels)
{
    current = values;
    currentSampleRate = sampleRate > 0.0 ? sampleRate : 44100.0;
    const int preparedBlockSize = juce::jmax (1, samplesPerBlock);

    const juce::dsp::ProcessSpec gainSpec { currentSampleRate, (juce::uint32) preparedBlockSize,
                                            (juce::uint32) juce::jmax (1, numOutputChannels) };
    inputGainStage.prepare (gainSpec);
    outputGainStage.prepare (gainSpec);
    reverb.prepare (currentSampleRate);
    inputGainStage.setRampDurationSeconds (gainRampSeconds);
    outputGainStage.setRampDurationSeconds (gainRampSeconds);

    compression.prepare (currentSampleRate, preparedBlockSize);
    tone.prepare (currentSampleRate);
    deEsser.prepare (currentSampleRate);
    reverb.reset();

    invalidateDspCaches();
    updateFilters();
    updateCompressors();
    updateReverb();
    stereoWidth.prepare (currentSampleRate, raw (ParameterIds::width));

    mainMix.reset (currentSampleRate, sectionFadeSeconds);
    mainMix.setCurrentAndTargetValue (isBypassed (ParameterIds::mainBypass) ? 0.0f : 1.0f);

    for (size_t s = 0; s < sectionMix.size(); ++s)
    {
        sectionMix[s].reset (currentSampleRate, sectionFadeSeconds);
        sectionMix[s].setCurrentAndTargetValue (isBypassed (sectionBypassIds[s]) ? 0.0f : 1.0f);
    }

    makeupGain.reset (currentSampleRate, sectionFadeSeconds);
    makeupGain.setCurrentAndTargetValue (makeupTarget());

    maxBlockSamples = juce::jmax (preparedBlockSize, minimumCapacity);
    maxChannels = juce::jmax (numOutputChannels, 1);
    sectionScratch.setSize (maxChannels, maxBlockSamples, false, false, true);
    dryBuffer.setSize (maxChannels, maxBlockSamples, false, false, true);

    mainResetDone = false;
    sectionResetDone.fill (false);
}

void ReferenceChain::invalidateDspCaches() noexcept
{
    tone.invalidate();
    deEsser.invalidate();
    compression.invalidate();
    reverb.invalidate();
}

void ReferenceChain::updateFilters() noexcept
{
    using namespace ParameterIds;
    tone.update ({ raw (hpfFreq), raw (lpfFreq), raw (lowGain), raw (midGain), raw (highGain), raw (airGain) });
    deEsser.updateFrequency (raw (deEssFreq));
}

void ReferenceChain::updateCompressors() noexcept
{
    using namespace ParameterIds;
    compression.update ({ raw (compThresh), raw (compRatio), raw (compAttack), raw (compRelease) });
}

void ReferenceChain::updateReverb() noexcept
{
    using namespace ParameterIds;
    reverb.update (raw (reverbSize), raw (reverbDamping), raw (reverbMix));
}

void ReferenceChain::resetAllSections() noexcept
{
    tone.reset();
    compression.reset();
    deEsser.reset();
    reverb.reset();
    stereoWidth.reset (raw (ParameterIds::width));
    sectionResetDone.fill (true);
    makeupGain.setCurrentAndTargetValue (makeupTarget());
}

void ReferenceChain::processBlock (juce::AudioBuffer<float>& buffer, const Values& values) noexcept
{
    juce::ScopedNoDenormals noDenormals;
    current = values;

    const int numChannels = buffer.getNumChannels();
    const int numSamples = buffer.getNumSamples();

    if (numSamples == 0)
        return;

    const bool mainBypassed = isBypassed (ParameterIds::mainBypass);
    bool sectionBypassed[numSections];

    for (size_t s = 0; s < numSections; ++s)
        sectionBypassed[s] = isBypassed (sectionBypassIds[s]);

    mainMix.setTargetValue (mainBypassed ? 0.0f : 1.0f);

    if (mainBypassed && ! mainMix.isSmoothing() && mainMix.getCurrentValue() <= mixDryThreshold)
    {
        for (size_t s = 0; s < numSections; ++s)
            sectionMix[s].setCurrentAndTargetValue (sectionBypassed[s] ? 0.0f : 1.0f);

        makeupGain.setCurrentAndTargetValue (makeupTarget());

        if (! mainResetDone)
        {
            resetAllSections();
            mainResetDone = true;
        }
        return;
    }

    mainResetDone = false;

    if (numChannels > maxChannels || numSamples > maxBlockSamples)
        return;

    const bool needsDry = mainMix.isSmoothing() || mainMix.getCurrentValue() < mixWetThreshold;

    if (needsDry)
        for (int ch = 0; ch < numChannels; ++ch)
            dryBuffer.copyFrom (ch, 0, buffer, ch, 0, numSamples);

    updateFilters();
    updateCompressors();
    updateReverb();

    inputGainStage.setGainLinear (dbToGain (raw (ParameterIds::inputGain)));
    outputGainStage.setGainLinear (dbToGain (raw (ParameterIds::outputGain)));

    juce::dsp::AudioBlock<float> block (buffer);
    inputGainStage.process (juce::dsp::ProcessContextReplacing<float> (block));

    processChain (buffer, numChannels, numSamples, sectionBypassed);
    applyMakeup (buffer, numChannels, numSamples);

    outputGainStage.process (juce::dsp::ProcessContextReplacing<float> (block));

    if (needsDry)
        crossFadeWithDry (buffer, numChannels, numSamples);
}

void ReferenceChain::processChain (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples,
                                   const bool (&bypassed)[4]) noexcept
{
    processSection (buffer, numChannels, numSamples, sectionMix[toneSection], bypassed[toneSection], sectionResetDone[toneSection], sectionScratch,
                    [this] (juce::AudioBuffer<float>& b) { tone.process (b); },
                    [this] { tone.reset(); });

    processSection (buffer, numChannels, numSamples, sectionMix[compressionSection], bypassed[compressionSection],
                    sectionResetDone[compressionSection], sectionScratch,
                    [this] (juce::AudioBuffer<float>& b) { compression.process (b); },
                    [this] { compression.reset(); });

    processSection (buffer, numChannels, numSamples, sectionMix[characterSection], bypassed[characterSection],
                    sectionResetDone[characterSection], sectionScratch,
                    [this] (juce::AudioBuffer<float>& b)
                    {
                        deEsser.process (b, raw (ParameterIds::deEssAmount));
                        applySaturation (b, raw (ParameterIds::satDrive), raw (ParameterIds::satMix));
                    },
                    [this] { deEsser.reset(); });

    processSection (buffer, numChannels, numSamples, sectionMix[spaceSection], bypassed[spaceSection], sectionResetDone[spaceSection], sectionScratch,
                    [this] (juce::AudioBuffer<float>& b)
                    {
                        stereoWidth.process (b, raw (ParameterIds::width));
                        reverb.process (b);
                    },
                    [this]
                    {
                        reverb.reset();
                        stereoWidth.reset (raw (ParameterIds::width));
                    });
}

void ReferenceChain::applyMakeup (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples) noexcept
{
    makeupGain.setTargetValue (makeupTarget());

    if (makeupGain.isSmoothing())
    {
        auto* const* data = buffer.getArrayOfWritePointers();

        for (int i = 0; i < numSamples; ++i)
        {
            const float g = makeupGain.getNextValue();

            for (int ch = 0; ch < numChannels; ++ch)
                data[ch][i] *= g;
        }
    }
    else if (std::abs (makeupGain.getCurrentValue() - 1.0f) > 1.0e-6f)
    {
        buffer.applyGain (0, numSamples, makeupGain.getCurrentValue());
    }
}

void ReferenceChain::crossFadeWithDry (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples) noexcept
{
    auto* const* wet = buffer.getArrayOfWritePointers();
    const auto* const* dry = dryBuffer.getArrayOfReadPointers();

    for (int i = 0; i < numSamples; ++i)
    {
        const float m = mainMix.getNextValue();

        if (m >= mixWetThreshold)
            continue;

        for (int ch = 0; ch < numChannels; ++ch)
        {
            const float d = dry[ch][i];
            wet[ch][i] = m <= mixDryThreshold ? d : d + m * (wet[ch][i] - d);
        }
    }
}
} // namespace Reference
