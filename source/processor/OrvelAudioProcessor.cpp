#include "processor/OrvelAudioProcessor.h"
#include "editor/OrvelAudioProcessorEditor.h"
#include "processor/ParameterLayout.h"
#include "common/AudioHelpers.h"
#include "dsp/LevelMeter.h"
#include "dsp/SectionSwitch.h"

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

OrvelAudioProcessor::OrvelAudioProcessor()
    : AudioProcessor (BusesProperties()
                          .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      parameters (*this, nullptr, "PARAMETERS", createParameterLayout()),
      undoHistory ([this] { return captureState(); },
                   [this] (const juce::ValueTree& state) { applyState (state, true); },
                   suppressModifiedFlag)
{
    invalidateDspCaches();

    for (size_t i = 0; i < rawValues.size(); ++i)
        rawValues[i] = parameters.getRawParameterValue (ParameterIds::ids[i]);

    for (const auto* id : ParameterIds::ids)
        parameters.addParameterListener (id, this);
}

OrvelAudioProcessor::~OrvelAudioProcessor()
{
    for (const auto* id : ParameterIds::ids)
        parameters.removeParameterListener (id, this);
}

//==============================================================================
float OrvelAudioProcessor::raw (Index index) const noexcept
{
    const auto* p = rawValues[(size_t) index];
    return p != nullptr ? p->load (std::memory_order_relaxed) : 0.0f;
}

bool OrvelAudioProcessor::isBypassed (Index index) const noexcept
{
    return isOn (raw (index));
}

float OrvelAudioProcessor::makeupTarget() const noexcept
{
    return CompressionStage::makeupTarget (isBypassed (ParameterIds::compBypass), raw (ParameterIds::compMakeup));
}

bool OrvelAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto out = layouts.getMainOutputChannelSet();

    if (out != juce::AudioChannelSet::mono() && out != juce::AudioChannelSet::stereo())
        return false;

    return layouts.getMainInputChannelSet() == out;
}

juce::AudioProcessorEditor* OrvelAudioProcessor::createEditor()
{
    return new OrvelAudioProcessorEditor (*this);
}

//==============================================================================
void OrvelAudioProcessor::prepareToPlay (double sampleRate, int samplesPerBlock)
{
    // A host that reports no usable rate still gets working filters and ramps.
    currentSampleRate = sampleRate > 0.0 ? sampleRate : 44100.0;
    const int preparedBlockSize = juce::jmax (1, samplesPerBlock);

    const juce::dsp::ProcessSpec gainSpec { currentSampleRate, (juce::uint32) preparedBlockSize,
                                            (juce::uint32) juce::jmax (1, getTotalNumOutputChannels()) };
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
    mainMix.setCurrentAndTargetValue (isBypassed (ParameterIds::mainBypass) || hostBypassed ? 0.0f : 1.0f);

    for (size_t s = 0; s < sectionMix.size(); ++s)
    {
        sectionMix[s].reset (currentSampleRate, sectionFadeSeconds);
        sectionMix[s].setCurrentAndTargetValue (isBypassed (sectionBypassIds[s]) ? 0.0f : 1.0f);
    }

    makeupGain.reset (currentSampleRate, sectionFadeSeconds);
    makeupGain.setCurrentAndTargetValue (makeupTarget());

    maxBlockSamples = juce::jmax (preparedBlockSize, minimumCapacity);
    maxChannels = juce::jmax (getTotalNumOutputChannels(), 1);
    sectionScratch.setSize (maxChannels, maxBlockSamples, false, false, true);
    dryBuffer.setSize (maxChannels, maxBlockSamples, false, false, true);

    mainResetDone = false;
    sectionResetDone.fill (false);
}

//==============================================================================
void OrvelAudioProcessor::invalidateDspCaches() noexcept
{
    tone.invalidate();
    deEsser.invalidate();
    compression.invalidate();
    reverb.invalidate();
}

void OrvelAudioProcessor::updateFilters() noexcept
{
    using namespace ParameterIds;
    tone.update ({ raw (hpfFreq), raw (lpfFreq), raw (lowGain), raw (midGain), raw (highGain), raw (airGain) });
    deEsser.updateFrequency (raw (deEssFreq));
}

void OrvelAudioProcessor::updateCompressors() noexcept
{
    using namespace ParameterIds;
    compression.update ({ raw (compThresh), raw (compRatio), raw (compAttack), raw (compRelease) });
}

void OrvelAudioProcessor::updateReverb() noexcept
{
    using namespace ParameterIds;
    reverb.update (raw (reverbSize), raw (reverbDamping), raw (reverbMix));
}

void OrvelAudioProcessor::resetAllSections() noexcept
{
    tone.reset();
    compression.reset();
    deEsser.reset();
    reverb.reset();
    stereoWidth.reset (raw (ParameterIds::width));
    sectionResetDone.fill (true);
    makeupGain.setCurrentAndTargetValue (makeupTarget());
}

void OrvelAudioProcessor::processCharacter (juce::AudioBuffer<float>& buffer) noexcept
{
    deEsser.process (buffer, raw (ParameterIds::deEssAmount));
    applySaturation (buffer, raw (ParameterIds::satDrive), raw (ParameterIds::satMix));
}

void OrvelAudioProcessor::processSpace (juce::AudioBuffer<float>& buffer) noexcept
{
    stereoWidth.process (buffer, raw (ParameterIds::width));
    reverb.process (buffer);
}

//==============================================================================
void OrvelAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    processFrame (buffer, false);
}

void OrvelAudioProcessor::processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    // JUCE's default switches to the input at once, which clicks and cuts the reverb tail.
    processFrame (buffer, true);
}

void OrvelAudioProcessor::processFrame (juce::AudioBuffer<float>& buffer, bool bypassedByHost) noexcept
{
    juce::ScopedNoDenormals noDenormals;

    const int numChannels = buffer.getNumChannels();
    const int numSamples = buffer.getNumSamples();

    for (int ch = getTotalNumInputChannels(); ch < juce::jmin (getTotalNumOutputChannels(), numChannels); ++ch)
        buffer.clear (ch, 0, numSamples);

    if (numSamples == 0)
        return;

    // The host's bypass and "mainBypass" share one fade: either one bypasses the plug-in.
    hostBypassed = bypassedByHost;
    const bool mainBypassed = bypassedByHost || isBypassed (ParameterIds::mainBypass);
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

        inputLevelL.store (0.0f);
        inputLevelR.store (0.0f);
        outputLevelL.store (0.0f);
        outputLevelR.store (0.0f);
        return;
    }

    mainResetDone = false;

    if (numChannels > maxChannels || numSamples > maxBlockSamples)
    {
        updateLevelMeter (buffer, inputLevelL, inputLevelR);
        updateLevelMeter (buffer, outputLevelL, outputLevelR);
        return;
    }

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

    updateLevelMeter (buffer, inputLevelL, inputLevelR);

    processChain (buffer, numChannels, numSamples, sectionBypassed);
    applyMakeup (buffer, numChannels, numSamples);

    outputGainStage.process (juce::dsp::ProcessContextReplacing<float> (block));

    if (needsDry)
        crossFadeWithDry (buffer, numChannels, numSamples);

    updateLevelMeter (buffer, outputLevelL, outputLevelR);
}

void OrvelAudioProcessor::processChain (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples,
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
                    [this] (juce::AudioBuffer<float>& b) { processCharacter (b); },
                    [this] { deEsser.reset(); });

    processSection (buffer, numChannels, numSamples, sectionMix[spaceSection], bypassed[spaceSection], sectionResetDone[spaceSection], sectionScratch,
                    [this] (juce::AudioBuffer<float>& b) { processSpace (b); },
                    [this]
                    {
                        reverb.reset();
                        stereoWidth.reset (raw (ParameterIds::width));
                    });
}

void OrvelAudioProcessor::applyMakeup (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples) noexcept
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

void OrvelAudioProcessor::crossFadeWithDry (juce::AudioBuffer<float>& buffer, int numChannels, int numSamples) noexcept
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

//==============================================================================
void OrvelAudioProcessor::setParameterValue (const juce::String& parameterId, float value)
{
    if (! std::isfinite (value))
        return;

    if (auto* param = parameters.getParameter (parameterId))
        param->setValueNotifyingHost (param->convertTo0to1 (value));
}

float OrvelAudioProcessor::getParameterValue (const juce::String& parameterId) const
{
    const int index = ParameterIds::indexOf (parameterId.toRawUTF8());
    return index >= 0 ? raw ((Index) index) : 0.0f;
}

void OrvelAudioProcessor::parameterChanged (const juce::String& parameterId, float)
{
    if (parameterId == ParameterIds::ids[ParameterIds::mainBypass])
        return;

    if (suppressModifiedFlag.load())
        return;

    presetModified.exchange (true);
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new OrvelAudioProcessor();
}
